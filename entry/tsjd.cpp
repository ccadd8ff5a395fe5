#include "entry/tsjd.h"

#include "entry/single_table.h"

namespace veltra::entry {

EntryDescription TsjdDescription() {
  // The emptying question reads as the form has always asked it.
  return SingleTableDescription(
      {"tsjd.db", "tsjd_chk", "tsjd", "CODE", "Id", "Tsjd_one",
       {"数据错误:", "计划编号重复", {}},
       {"请选择特色产业基地数据库  文件名:tsjd.db", "是否特色产业基地数据库"}},
      "delete from sendname.db where name='tsjd.db' or name='tsjd_r.db'");
}

TF_tsjd::TF_tsjd(mainunit::MainUnit& main, mainunit::Prompts& prompts)
    : EntryWindow(std::make_unique<EntryFrame>(main, prompts, TsjdDescription()),
                  {.form_name = "F_tsjd", .tool_button_width = kSingleTableToolButtonWidth}) {}

}  // namespace veltra::entry
