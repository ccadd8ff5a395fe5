#include "entry/kfqzh.h"

#include "entry/single_table.h"

namespace veltra::entry {

EntryDescription KfqzhDescription() {
  MasterDescription master;
  master.file = "kfqzh.db";
  master.rule_table = "kzh_chk.db";
  master.words.prefix = "数据错误:";
  EntryDescription d = SingleTableDescription(
      std::move(master), "delete from sendname.db where name='kfqzh.db' or name='kfqzh_r.db'");
  d.tool_bar = {.navigation = false, .insert = false, .append = false, .validation_switch = false};
  d.pack_after_delete = false;
  return d;
}

TF_kfqzh::TF_kfqzh(mainunit::MainUnit& main, mainunit::Prompts& prompts)
    : EntryWindow(std::make_unique<EntryFrame>(main, prompts, KfqzhDescription()),
                  {.form_name = "F_kfqzh",
                   .cover_heading = CoverHeading("国家高新技术产业开发区综合情况报表"),
                   .tool_button_width = kSingleTableToolButtonWidth}) {}

}  // namespace veltra::entry
