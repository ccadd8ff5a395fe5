#include "entry/rjjd.h"

namespace veltra::entry {

EntryDescription RjjdDescription() {
  EntryDescription d;
  d.master = {"rjjd.db", "rjjd_chk", "rjjd", "Code", "Id", "Rjjd_one",
              {"数据错误:", "报表编号重复", {}},
              {"请选择软件基地数据库  文件名:rjjd.db", "是否清空软件基地数据库"}};
  DetailDescription enterprises{"rjjdqy.db", "rjjdqy_chk", "rjjdqy", "Code2", "Id", "Rjjd2_one", "", "企业编号不能为空",
                                {"数据错误:", "企业编号重复", {}},
                                {"请选择软件基地企业数据库  文件名:rjjdqy.db", "是否清空软件基地企业数据库数据库"}};
  DetailDescription products{"rjjdqycp.db", "rjjdqycp_chk", "rjjdqycp", "Code3", "Id", "Rjjd3_one", "", "产品序号不能为空",
                             {"数据错误:", "产品序号重复", {}},
                             {"请选择软件基地企业产品数据库  文件名:rjjdqycp.db",
                              "是否清空软件基地企业产品数据库数据库"}};
  products.owner = 0;
  products.missing_owner_key = "软件基地编号或企业编号不能为空";
  products.owner_key_first = "请先填入软件基地编号或者企业编号";
  d.details = {enterprises, products};
  d.pages = {{"TabSheet1", "国家Veltra计划软件基地情况"},
             {"TabSheet2", "基地续一"},
             {"TabSheet3", "基地内软件企业情况", 0},
             {"TabSheet4", "企业续一", 0},
             {"TabSheet5", "企业产品情况", 1, "DBGrid1", "DBGrid2", "ComboBox2"},
             {"TabSheet6", "企业续二", 0}};
  d.send_mark_statement =
      "delete from sendname.db where name='rjjd.db' or name='rjjdqy.db' or name='rjjdqycp.db' or name='rjjd_r.db'";
  d.missing_master_key = "软件基地编号不能为空";
  d.master_key_first = "请先填入软件基地编号";
  ApplyCodeKeyedPolicies(d);
  d.locate_on_master_always = true;
  return d;
}

TF_rjjd::TF_rjjd(mainunit::MainUnit& main, mainunit::Prompts& prompts)
    : EntryWindow(std::make_unique<EntryFrame>(main, prompts, RjjdDescription()), {"F_rjjd"}),
      DBEdit100(DBEdit1),
      DBEdit149(DetailEditOf(0, "Code2")),
      DBGrid1(Grid("DBGrid1")),
      DBGrid2(Grid("DBGrid2")) {
  SetCaption("国家Veltra软件产业基地情况");
}

}  // namespace veltra::entry
