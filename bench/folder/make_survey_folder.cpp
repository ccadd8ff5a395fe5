// Writes a generated working folder for the benchmarks' --folder option.
//
//   make_survey_folder [N] [--returns | --long-texts] --folder DIR
//
// N enterprises (default 20,000) as validation_bench generates them;
// --returns fills them like a year's returns, --long-texts the same with
// long Chinese texts filled to width.
#include <cstdio>
#include <filesystem>
#include <optional>

#include "bench/common/survey_folder.h"

int main(int argc, char** argv) {
  const std::optional<veltra::bench::FolderOptions> options = veltra::bench::ParseFolderOptions(argc, argv);
  if (!options) return 2;
  if (options->folder.empty() || std::filesystem::exists(options->folder)) {
    std::fprintf(stderr, "%s: --folder must name a folder that does not exist yet\n", argv[0]);
    return 2;
  }
  veltra::bench::MakeSurveyFolder(options->folder, options->enterprises, options->workload);
  return 0;
}
