#include "entry/kfq.h"

#include <filesystem>
#include <string>

#include "mainunit/on_exit.h"
#include "entry/schema_tables.h"

namespace veltra::entry {

namespace {

constexpr const char* kSubmissionFiles[] = {"tmp\\kfq_1.db", "tmp\\kfq_2.db", "tmp\\kfq_5.db"};

std::vector<PageDescription> KfqPages() {
  std::vector<PageDescription> pages = PagesOf("kfq_1.db");
  // The detail pages stand where the form has them: products after the
  // people page, projects last.
  const auto after = [&pages](const std::string& name) {
    for (auto it = pages.begin(); it != pages.end(); ++it) {
      if (it->name == name) return it + 1;
    }
    return pages.end();
  };
  pages.insert(after("TabSheet4"), {"TabSheet5", "主要产品概况", 0, "DBGrid1", "DBGrid2", "ComboBox2"});
  pages.push_back({"TabSheet9", "科技项目情况", 1, "DBGrid5", "DBGrid6", "ComboBox3"});
  return pages;
}

}  // namespace

EntryDescription KfqDescription() {
  EntryDescription d;
  d.master = {"kfq_1.db", "kfq1_chk", "kfq_1", "QA01", "Id", "Qa_one",
              {"企业数据错误:", "企业报表编号重复", {{"kfq_13", "企业名称重复"}, {"kfq_12", "企业法人代码重复"}}},
              {"请选择企业数据库  文件名:kfq_1.db", "是否清空企业数据库"}};
  d.details = {
      {"kfq_2.db", "kfq2_chk", "kfq_2", "QE01", "ID", "QE_ONE", "_", "产品编号不能为空",
       {"产品数据错误:", "产品序号重复", {}},
       {"请选择产品数据库  文件名:kfq_2.db", "是否清空产品数据库"}},
      {"kfq_5.db", "kfq5_chk", "kfq_5", "Qh00", "Id", "Qh_one", "_", "科技项目序号不能为空",
       {"科技项目数据错误:", "科技项目序号重复", {}},
       {"请选择科技项目情况数据库  文件名:kfq_5.db", "是否清空科技项目情况数据库"}},
  };
  d.pages = KfqPages();
  d.send_mark_statement =
      "delete from sendname.db where name='kfq_1.db' or name='kfq_2.db' or name='kfq_5.db' or "
      "name='kfq_6.db' or name='kfq_r.db'";
  d.missing_master_key = "企业报表编号不能为空";
  d.master_key_first = "请先填入企业报表编号";
  d.read_only_key_caption = "报表编号(只读)";
  return d;
}

KfqEntry::KfqEntry(mainunit::MainUnit& main, mainunit::Prompts& prompts) : EntryFrame(main, prompts, KfqDescription()) {}

void KfqEntry::ImportSubmission(const std::function<void()>& renumber) {
  ui::OpenDialog& dialog = Main().OpenDialog1;
  dialog.title = "请选择上报企业数据的磁盘目录";
  dialog.file_name.clear();
  dialog.filter = "kfq_1.dbf|kfq_1.db";
  mainunit::OnExit restore([this, &dialog] {
    dialog.file_name.clear();
    dialog.filter = "*.db;*.dbf|*.db;*.dbf";
    SetCurrentTable(0);
    ShowPage(0);
  });
  if (!Ask().Execute(dialog)) return;

  mainunit::OnExit remove_copies([this] {
    Main().Table1.Close();
    for (const char* file : kSubmissionFiles) {
      std::error_code ignored;
      std::filesystem::remove(Main().Database1.ResolveTableName(file), ignored);
    }
  });
  Main().ImportOk = true;
  renumber();
  if (!Main().ImportOk) return;
  for (int kind = 0; kind < 3; ++kind) {
    Main().Table1.Close();
    Main().Table1.SetTableName(kSubmissionFiles[kind]);
    SetCurrentTable(kind);
    ImportRecords(kind);
  }
}

}  // namespace veltra::entry
