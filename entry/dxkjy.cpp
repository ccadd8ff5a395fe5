#include "entry/dxkjy.h"

namespace veltra::entry {

EntryDescription DxkjyDescription() {
  EntryDescription d;
  d.master = {"dx.db", "dx_chk", "dx", "CODE", "ID", "DX_ONE",
              {"数据错误:", "编号重复", {}},
              {"请选择大学科技园数据库  文件名:dx.db", "是否清空大学科技园数据库"}};
  d.details = {
      {"dxzfqy.db", "dxzfqy_chk", "dx3", "CODE2", "ID", "DXzfqy_ONE", "", "企业编号不能为空",
       {"企业数据错误:", "企业编号重复", {}},
       {"请选择大学科技园在孵企业数据库  文件名:dxzfqy.db", "是否清空大学科技园在孵企业数据库数据库"}},
      {"dxxm.db", "dxxm_chk", "dxxm", "Code2", "Id", "Dxxm_one", "", "项目编号不能为空",
       {"项目数据错误:", "项目编号重复", {}},
       {"请选择大学科技园项目数据库（大学园填）  文件名:dxxm.db", "是否清空大学科技园项目数据库数据库"}},
  };
  d.pages = {{"TabSheet1", "国家大学科技园情况"},
             {"TabSheet2", "续一"},
             {"TabSheet5", "大学科技园国家级项目一览表（大学园填）", 1, "DBGrid1"},
             {"TabSheet3", "国家大学科技园在孵（毕业）企业情况", 0}};
  d.send_mark_statement =
      "delete from sendname.db where name='dx.db' or name='dx3.db' or name='dx2.db' or name='dx_r.db'";
  d.missing_master_key = "大学园编号不能为空";
  d.master_key_first = "请先填入大学园编号";
  ApplyCodeKeyedPolicies(d);
  return d;
}

TF_dxkjy::TF_dxkjy(mainunit::MainUnit& main, mainunit::Prompts& prompts)
    : EntryWindow(std::make_unique<EntryFrame>(main, prompts, DxkjyDescription()), {"F_dxkjy"}),
      DBEdit78(DBEdit1),
      DBEdit130(DetailEditOf(0, "CODE2")),
      DBGrid1(Grid("DBGrid1")) {
  SetCaption("大学科技园情况");
}

}  // namespace veltra::entry
