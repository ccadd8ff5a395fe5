#pragma once
// A working folder of the default installation with generated survey
// tables, for the benchmarks that run windows and validation on it.
#include <filesystem>

namespace veltra::bench {

inline constexpr int kProductsEach = 3;
inline constexpr int kProjectsEach = 2;

// `enterprises` records in kfq_1.db with kProductsEach products each in
// kfq_2.db and kProjectsEach projects each in kfq_5.db, keys numbered from
// 000001, other values small codes and numbers of which about one in a
// thousand is negative; 200 generated plain rules added to kfq1_chk.db.
void MakeSurveyFolder(const std::filesystem::path& folder, int enterprises);

}  // namespace veltra::bench
