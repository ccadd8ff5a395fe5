#include "entry/tzjg.h"

#include "entry/single_table.h"

namespace veltra::entry {

EntryDescription TzjgDescription() {
  return SingleTableDescription(
      {"tzjg.db", "tzjg_chk", "tzjg", "CODE", "ID", "tzjg_one",
       {"数据错误:", "编号重复", {}},
       {"请选择国家高新区创业投资机构情况数据库  文件名:tzjg.db", "是否清空国家高新区创业投资机构情况数据库"},
       "code"},
      "delete from sendname.db where name='tzjg.db' or name='kfqzh3_r.db'");
}

TF_tzjg::TF_tzjg(mainunit::MainUnit& main, mainunit::Prompts& prompts)
    : EntryWindow(std::make_unique<EntryFrame>(main, prompts, TzjgDescription()),
                  {.form_name = "F_tzjg",
                   .width = 791,
                   .height = 542,
                   .form_layout = {.section_columns = 3},
                   .tool_button_width = kSingleTableToolButtonWidth}) {}

}  // namespace veltra::entry
