// What the user reads when an engine error escapes a handler.
#include "platform/ui/error_text.h"

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <functional>
#include <regex>
#include <stdexcept>

#include "platform/db/query.h"
#include "platform/formats/file_io.h"
#include "platform/db/table.h"
#include "platform/types/error.h"
#include "tests/platform/ui/data_fixture.h"

namespace veltra::ui::testing {
namespace {

class ErrorTextTest : public DataUiTest {
 protected:
  void SetUp() override {
    Create("kfq_1.db", {{"QA01", FieldType::String, 6}, {"QC05", FieldType::Float, 0}});
    db().CreateTable("keyed.db", db::TableType::Default, {{"Id", FieldType::String, 6}});
  }
  void TearDown() override { SetFieldCaptionLookup(nullptr); }
  // The text shown for what `act` throws.
  std::string Shown(const std::function<void()>& act) {
    try {
      act();
    } catch (const std::exception& e) {
      return UserText(e);
    }
    ADD_FAILURE() << "nothing was thrown";
    return {};
  }
};

TEST_F(ErrorTextTest, EngineErrorsAreToldInChineseNamingTableAndCaption) {
  SetFieldCaptionLookup([](const std::string& table, const std::string& field) {
    return table == "kfq_1.db" && field == "QC05" ? std::string("总收入") : std::string();
  });
  db::Table table(db());
  table.SetTableName("kfq_1.db");
  table.Open();
  db::Query query(db());
  struct Case {
    const char* name;
    std::function<void()> act;
    const char* shown;
  };
  const Case cases[] = {
      {"conversion", [&] { table.Append(); table.FieldByName("QC05").SetAsString("12甲"); },
       "表kfq_1.db的字段“总收入”不能取值“12甲”：须是数值"},
      {"unknown column", [&] { query.SQL.Add("select nofield from kfq_1"); query.Open(); },
       "表kfq_1中没有字段“nofield”"},
      {"syntax", [&] { query.Close(); query.SQL.Clear(); query.SQL.Add("select qa01 form kfq_1"); query.Open(); },
       "SQL语句第1行第18列“kfq_1”附近有语法错误"},
      {"unsupported", [&] { query.Close(); query.SQL.Clear(); query.SQL.Add("select qa01 from kfq_1 union select qa01 from kfq_1"); query.Open(); },
       "SQL语句第1行第24列的“union”不受支持"},
      {"missing table", [&] { Opened("nothere"); },
       "表nothere.db不存在"},
      {"duplicate key", [&] {
         db::Table keyed(db());
         keyed.SetTableName("keyed.db");
         keyed.GetIndexDefs().push_back({"", "Id", true, true});
         keyed.Open();
         for (int i = 0; i < 2; ++i) AddRecord(keyed, {"1"});
       },
       "表keyed.db中已有关键字相同的记录"},
      {"character the code page lacks", [&] {
         table.Cancel();
         table.Append();
         table.FieldByName("QA01").SetAsString("a\xF0\x9F\x98\x80");
         table.Post();
       },
       "表kfq_1.db的字段“QA01”不能取值“a\xF0\x9F\x98\x80”：字符“\xF0\x9F\x98\x80”（U+1F600，第2个字符）无法用代码页936存储"},
      {"Paradox field name", [&] {
         db().CreateTable("long.db", db::TableType::Default, {{"一个非常非常长的中文字段名称", FieldType::String, 6}});
       },
       "名称“一个非常非常长的中文字段名称”不能用作表名或字段名：Paradox字段名最长25个字节"},
      {"damaged field's raw bytes", [&] {
         db().CreateTable("num.dbf", db::TableType::DBase, {{"N", FieldType::Float, 0}});
         const auto numbers = Opened("num.dbf");
         AddRecord(*numbers, {"73"});
         numbers->Close();
         std::fstream file(folder() / "num.dbf", std::ios::in | std::ios::out | std::ios::binary);
         std::string bytes((std::istreambuf_iterator<char>(file)), {});
         file.seekp(static_cast<std::streamoff>(bytes.rfind("73") - 3));
         file.put('\xA1');
         file.close();
         numbers->Open();
       },
       "表num.dbf的文件已损坏或不是可读的表：第1条记录的字段“N”中的数值“        \\xA1  73.000000”无法识别"},
      {"own words", [] { throw EngineError(EngineError::Kind::KeyViolation, EngineError::Words{"企业数据错误:企业报表编号重复"}); },
       "企业数据错误:企业报表编号重复"},
  };
  for (const Case& c : cases) EXPECT_EQ(Shown(c.act), c.shown) << c.name;
  table.Cancel();
}

// Latin words a user may read: names of the formats and of the statement
// language, and code points or bytes written as such.
bool AllowedLatin(const std::string& word) {
  static const std::regex allowed("Paradox|dBase|SQL|U\\+[0-9A-F]+|0x[0-9A-F]+");
  return std::regex_match(word, allowed);
}

// The Latin words of `text` that are not among `names` (files, fields, values).
std::vector<std::string> StrayLatin(const std::string& text, const std::vector<std::string>& names) {
  std::string rest = text;
  for (const std::string& name : names) {
    for (std::size_t at; !name.empty() && (at = rest.find(name)) != std::string::npos;) rest.replace(at, name.size(), " ");
  }
  std::vector<std::string> stray;
  static const std::regex word("(U\\+|0x)?[A-Za-z][A-Za-z0-9]*");
  for (auto it = std::sregex_iterator(rest.begin(), rest.end(), word); it != std::sregex_iterator(); ++it) {
    if (!AllowedLatin(it->str())) stray.push_back(it->str());
  }
  return stray;
}

TEST_F(ErrorTextTest, EveryKindAndEveryEngineRefusalIsToldInChineseOnly) {
  using Kind = EngineError::Kind;
  // Each kind, with nothing known of its subject and with all of it.
  const ErrorSubject full{"/data/企业/kfq_1.db", "QC05", "abc", 0, 0, "", ENOSPC};
  for (int k = static_cast<int>(Kind::KeyViolation); k <= static_cast<int>(Kind::State); ++k) {
    for (const ErrorSubject& subject : {ErrorSubject{}, full}) {
      const std::string shown = UserText(EngineError(static_cast<Kind>(k), "engine words", subject));
      // Only a constraint's message is shown: it is the rule's own text.
      const char* rule = static_cast<Kind>(k) == Kind::ConstraintFailed ? "engine words" : "";
      EXPECT_EQ(StrayLatin(shown, {"kfq_1.db", "QC05", "abc", rule}), std::vector<std::string>{}) << k << ": " << shown;
    }
  }
  Create("t.db", {{"ID", FieldType::String, 4}, {"N", FieldType::SmallInt, 0}});
  AddRecord(*Opened("kfq_1.db"), {"示例光"});
  std::ofstream(folder() / "bad.db") << "PK";
  const auto run = [&](const std::string& statement) {
    return [this, statement] {
      db::Query query(db());
      query.SQL.Add(statement);
      query.ExecSQL();
    };
  };
  FieldDefs wide;
  for (int i = 0; i < 261; ++i) wide.push_back({"F" + std::to_string(i), FieldType::Integer, 0});
  struct Case {
    const char* name;
    std::function<void()> act;
    const char* shown;  // what the user reads starts so
  };
  const Case cases[] = {
      {"text against number", run("select * from kfq_1 a where a.QA01 >= 100"),
       "数据类型不符：文字“示例光”不能与数值100比较"},
      {"quote in a value", run("select * from kfq_1 a\nwhere a.QA01 = 'O'Brien'"),
       "SQL语句第2行第24列：从这里开始的引号没有配对的结束引号"},
      {"ungrouped column", run("select a.QA01, count(*) from kfq_1 a group by a.QC05"),
       "SQL语句第1行第8列：字段“a.QA01”须列入分组依据，或放在合计函数中"},
      {"aggregate in a condition", run("select QA01 from kfq_1 where sum(QC05) > 0"),
       "SQL语句第1行第30列：条件中不能使用合计函数"},
      {"order by position", run("select QA01 from kfq_1 order by 5"), "SQL语句第1行第33列：排序依据中的第5列不存在"},
      {"star with grouping", run("select * from kfq_1 group by QA01"), "SQL语句第1行第8列：分组或使用合计函数时不能用*"},
      {"number out of range", run("insert into t.db (ID,N) values ('X',99999)"),
       "表t.db的字段“N”不能取值“99999”：短整数的范围是-32768至32767"},
      {"too many fields", [&] { db().CreateTable("wide.db", db::TableType::Default, wide); },
       "表wide.db：Paradox表须有1至255个字段，这里有261个"},
      {"read only type", [&] { db().CreateTable("g.db", db::TableType::Default, {{"Photo", FieldType::Graphic, 0}}); },
       "表g.db的字段“Photo”是图形字段"},
      {"damaged file", [&] { Opened("bad.db"); },
       "表bad.db的文件已损坏或不是可读的表：文件比表头还短"},
      {"missing folder", [&] { formats::WriteFileAtomically(folder() / "无此目录" / "x.db", "x"); },
       "表x.db读写失败：文件夹“"},
      {"a file that is no table", [&] { formats::WriteFileAtomically(folder() / "无此目录" / "x.pdf", "x"); },
       "文件x.pdf读写失败：文件夹“"},
      {"file size limit", [&] {
         rlimit old{};
         getrlimit(RLIMIT_FSIZE, &old);
         rlimit small = old;
         small.rlim_cur = 4;
         const auto previous = std::signal(SIGXFSZ, SIG_IGN);
         setrlimit(RLIMIT_FSIZE, &small);
         try {
           formats::WriteFileAtomically(folder() / "big.db", "more than four bytes");
         } catch (...) {
           setrlimit(RLIMIT_FSIZE, &old);
           std::signal(SIGXFSZ, previous);
           throw;
         }
       },
       "表big.db读写失败：文件超出了系统允许的大小"},
  };
  for (const Case& c : cases) {
    const std::string shown = Shown(c.act);
    EXPECT_EQ(shown.rfind(c.shown, 0), 0u) << c.name << ": " << shown;
    EXPECT_EQ(StrayLatin(shown, {folder().string(), "kfq_1", "a.QA01", "QA01", "QC05", "wide.db", "big.db", "bad.db", "t.db",
                                 "g.db", "x.db", "x.pdf", "Photo", "O'Brien", "N"}),
              std::vector<std::string>{})
        << c.name << ": " << shown;
  }
}

}  // namespace
}  // namespace veltra::ui::testing
