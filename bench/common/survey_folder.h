#pragma once
// A working folder of the default installation with generated survey
// tables, for the benchmarks that run windows and validation on it.
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "schema/table_def.h"

namespace veltra::bench {

inline constexpr int kProductsEach = 3;
inline constexpr int kProjectsEach = 2;

enum class SurveyWorkload {
  // Small codes and numbers of which about one in a thousand is negative;
  // 200 generated plain rules added to kfq1_chk.db.
  GeneratedRules,
  // Like a year's returns: every field filled at random (about one value
  // in twenty left empty), dates in 2011, six-digit year-month texts in
  // kfq_5.db, many faults per enterprise; the installed rules only.
  YearsReturns,
  // A year's returns whose texts of more than 20 bytes, names too, are
  // Chinese filled to the field's width.
  LongTexts,
};

// How a report names the workload: "generated rules", "a year's returns"...
const char* WorkloadName(SurveyWorkload workload);

// `enterprises` records in kfq_1.db with kProductsEach products each in
// kfq_2.db and kProjectsEach projects each in kfq_5.db, keys numbered from
// 000001 and unique where an index wants them so, the rest as `workload` says;
// a year's returns also fill rjjdqy.db (N records), gjxm.db and dfxm2.db (2N).
void MakeSurveyFolder(const std::filesystem::path& folder, int enterprises,
                      SurveyWorkload workload = SurveyWorkload::GeneratedRules);

// The fields of the unique indexes of `table`, whose values must differ.
std::set<std::string> UniqueFields(const schema::TableDef& table);

// What a benchmark on a working folder was asked for: [N] [--returns |
// --long-texts] [--folder DIR].
struct FolderOptions {
  int enterprises = 20000;
  SurveyWorkload workload = SurveyWorkload::GeneratedRules;
  std::filesystem::path folder;  // empty: generate one
};

// The options of argv; N and --returns only where the benchmark
// `generates` a survey folder itself. Prints the usage and gives nothing
// for any other argument.
std::optional<FolderOptions> ParseFolderOptions(int argc, char** argv, bool generates = true);

// Runs a benchmark's work and gives its exit status; a folder the engine
// refuses (a table or field it lacks, a damaged file) is told on stderr
// with exit status 1 instead of ending in an uncaught exception.
int RunReportingEngineErrors(const char* program, const std::function<int()>& work);

}  // namespace veltra::bench
