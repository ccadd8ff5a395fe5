#include "entry/gjxm_window.h"


namespace veltra::entry {

TF_gjxm::TF_gjxm(mainunit::MainUnit& main, mainunit::Prompts& prompts)
    : EntryWindow(std::make_unique<GjxmEntry>(main, prompts),
                  {.form_name = "F_gjxm",
                   .cover_heading = CoverHeading("国家级计划项目执行情况调查表", "(Veltra计划）")}) {
  ApplyOwnView();
}

void TF_gjxm::ApplyOwnView() {
  const bool editable = Frame().KeysEditable();
  for (const char* field : {"JB00", "JB01", "JB02"}) EditOf(field)->setEnabled(editable);
}

}  // namespace veltra::entry
