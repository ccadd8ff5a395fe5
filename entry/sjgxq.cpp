#include "entry/sjgxq.h"

#include "entry/single_table.h"

namespace veltra::entry {

EntryDescription SjgxqDescription() {
  EntryDescription d = SingleTableDescription(
      {"sjgxq.db", "sjgxq_chk", "sjgxq", "Code", "Id", "Sjgxq_one",
       {"数据错误:", "编号重复", {}},
       {"请选择省级高新技术产业开发区情况数据库  文件名:sjgxq.db", "是否清空省级高新技术产业开发区情况数据库"},
       "code"},
      "delete from sendname.db where name='sjgxq.db' or name='kfqzh3_r.db'");
  d.tool_bar.validation_switch = false;
  d.import_sets_pxh = false;  // the table has no PXH
  return d;
}

TF_sjgxq::TF_sjgxq(mainunit::MainUnit& main, mainunit::Prompts& prompts)
    : EntryWindow(std::make_unique<EntryFrame>(main, prompts, SjgxqDescription()),
                  {.form_name = "F_sjgxq",
                   .width = 791,
                   .height = 542,
                   .cover_heading = CoverHeading("省级高新技术产业开区基本情况调查表"),
                   .form_layout = {.figures_from = "S01"},
                   .tool_button_width = kSingleTableToolButtonWidth}) {}

}  // namespace veltra::entry
