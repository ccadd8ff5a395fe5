#include "entry/fhq.h"

namespace veltra::entry {

EntryDescription FhqDescription() {
  EntryDescription d;
  d.master = {"fhq.db", "fhq_chk", "fhq", "CODE", "ID", "FHQ_ONE",
              {"数据错误:", "编号重复", {}},
              {"请选择科技企业孵化器数据库  文件名:fhq.db", "是否清空科技企业孵化器数据库"}};
  d.details = {
      {"fhqzfqy.db", "fhqzfqy_chk", "fhqzfqy", "CODE2", "ID", "Fhqzfqy_one", "", "在孵企业编号不能为空",
       {"企业数据错误:", "企业编号重复", {}},
       {"请选择科技企业孵化器在孵(毕业)企业数据库  文件名:fhqzfqy.db",
        "是否清空科技企业孵化器在孵(毕业)企业数据库数据库"}},
  };
  d.pages = {{"TabSheet1", "科技企业孵化器综合情况"},
             {"TabSheet2", "续一"},
             {"TabSheet3", "科技企业孵化器在孵(毕业)企业情况表", 0}};
  d.send_mark_statement =
      "delete from sendname.db where name='fhq.db' or name='fhq4.db' or name='fhq3.db' or name='fhq2.db' or "
      "name='fhq_r.db'";
  d.missing_master_key = "科技企业孵化器编号不能为空";
  d.master_key_first = "请先填入大学科技企业孵化器编号";
  ApplyCodeKeyedPolicies(d);
  d.import_sets_pxh = false;
  return d;
}

TF_fhq::TF_fhq(mainunit::MainUnit& main, mainunit::Prompts& prompts)
    : EntryWindow(std::make_unique<EntryFrame>(main, prompts, FhqDescription()), {"F_fhq"}),
      DBEdit78(DBEdit1),
      DBEdit130(DetailEditOf(0, "CODE2")) {
  SetCaption("科技企业孵化器情况");
}

}  // namespace veltra::entry
