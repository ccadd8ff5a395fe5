// Times the enterprise window's first activation (the rules loaded as
// constraints, the tables opened, the cover shown) on a working folder of
// N enterprises (default 20,000), offscreen.
//
//   entry_bench [N]
#include <QApplication>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench/common/survey_folder.h"
#include "entry/kfq_window.h"
#include "mainunit/main_unit.h"
#include "mainunit/ui_prompts.h"
#include "platform/ui/application.h"

namespace fs = std::filesystem;
using namespace veltra;

int main(int argc, char** argv) {
  const int enterprises = argc > 1 ? std::atoi(argv[1]) : 20000;
  if (enterprises <= 0) {
    std::fprintf(stderr, "usage: %s [N]\n", argv[0]);
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ui::Application application(argc, argv);
  char pattern[] = "/tmp/veltra_entry_bench_XXXXXX";
  const fs::path folder = fs::path(mkdtemp(pattern)) / "work";
  bench::MakeSurveyFolder(folder, enterprises);

  mainunit::MainUnit main(folder);
  mainunit::UiPrompts prompts;
  const auto start = std::chrono::steady_clock::now();
  entry::TF_kfq window(main, prompts);
  window.SetCaption("高新区企业");
  window.Show();
  QApplication::processEvents();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const int shown = window.Frame().Master().RecordCount();
  std::printf("enterprise window, first activation on %d enterprises (%d in the table): %.1f ms\n", enterprises, shown,
              ms);
  window.Close();
  fs::remove_all(folder.parent_path());
  return shown == enterprises ? 0 : 1;
}
