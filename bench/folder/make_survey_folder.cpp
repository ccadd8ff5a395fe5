// Writes a generated working folder for the benchmarks' --folder option.
//
//   make_survey_folder DIR [N] [--returns]
//
// N enterprises (default 20,000) as validation_bench generates them;
// --returns fills them like a year's returns.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/common/survey_folder.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DIR [N] [--returns]\n", argv[0]);
    return 2;
  }
  int enterprises = 20000;
  veltra::bench::SurveyWorkload workload = veltra::bench::SurveyWorkload::GeneratedRules;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--returns") {
      workload = veltra::bench::SurveyWorkload::YearsReturns;
    } else if (std::atoi(arg.c_str()) > 0) {
      enterprises = std::atoi(arg.c_str());
    } else {
      std::fprintf(stderr, "usage: %s DIR [N] [--returns]\n", argv[0]);
      return 2;
    }
  }
  if (std::filesystem::exists(argv[1])) {
    std::fprintf(stderr, "%s exists already\n", argv[1]);
    return 2;
  }
  veltra::bench::MakeSurveyFolder(argv[1], enterprises, workload);
  return 0;
}
