// Validation, grouped rule and enterprise sums over a kfq_1-shaped table of
// 20,000 records, run by our engine and by SQLite (in memory, prepared
// statements) in the same process. Prints both times and their ratio.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sql/engine.h"
#include "tests/platform/sql/memory_catalog.h"

namespace {

using namespace veltra;
using namespace veltra::sql;
using namespace veltra::sql::testing;

// The master's stored fields: name, then S<size> text, F float, I small integer, D date.
constexpr const char* kMasterFields =
    "Id:S9,QA01:S6,QA02:S1,QA03:S10,Qa16:S20,QA04:S100,QA15:S1,QA05:S100,QA06:S6,QA07:S100,QA08:S10,"
    "QA09:S20,QA10:S20,QA11:S10,Qa17:S20,QA12:D,QA13:S100,QA14:S100,QB01:S2,QB02:S40,QB03:S4,QB04:S4,"
    "QB05:S1,QB06:S3,QB07:S1,QB08:S4,QB09:S1,QB10:S50,QB11:S1,Qb13:S20,QB12:S4,QB19:S1,QB14:S1,"
    "Qb14_1:S4,Qb14_2:S4,QB16:S3,QB15:S2,QB15_1:S20,Qb15_2:S4,Qb18:S1,QC02:F,QC04:F,QC05:F,QC06:F,"
    "Qc06_1:F,Qc06_2:F,Qc06_3:F,Qc06_4:F,QC07:F,QC09:F,QC10:F,QC49:F,QC42:F,Qc55:F,Qc03:F,Qc43:F,"
    "Qc44:F,QC52:F,QC11:F,Qc38:F,Qc11_1:F,QC12:F,QC13:F,QC14:F,QC15:F,QC16:F,QC17:F,QC18:F,QC19:F,"
    "QC20:F,Qc20_1:F,Qc20_2:F,Qc20_3:F,Qc60:F,Qc62:F,QC51:F,QC22:F,QC23:F,QC24:F,QC25:F,QC26:F,"
    "QC27:F,QC28:F,QC29:F,QC61:F,QC30:F,QC31:F,QC32:F,QC33:F,QC34:F,Qc63:F,Qc50:F,QC35:F,Qc45:F,"
    "Qc46:F,Qc47:F,Qc48:F,Qc36:F,Qc37:F,Qc39:F,Qc40:F,Qc41:F,Qc54:F,QD01:F,QD03:F,QD04:F,Qd23:F,"
    "Qd25:F,Qd21:F,Qd14:F,Qd24:F,QD05:F,Qd18:F,QD06:F,QD07:F,QD08:F,Qd01_1:F,QD09:F,QD10:F,QD11:F,"
    "QD12:F,QD13:F,Qd26:F,Qd27:F,Qd28:F,Qd29:F,Qd30:F,QD19:S1,QD20:S4,QD22:S1,Qj09:F,Qj11:F,Qj67:F,"
    "Qj66:F,Qj12:F,Qj13:F,Qj09_1:F,Qj23:F,Qj23_1:F,Qj23_2:F,Qj23_3:F,Qj23_4:F,Qj23_5:F,Qj33:F,"
    "Qj33_1:F,Qj33_2:F,Qj33_3:F,Qj250:F,Qj251:F,Qj252:F,Qi09:F,Qj53:F,Qi01:F,Qi07:F,Qi10:F,Qi11:F,"
    "Qi20:F,Qi14:F,Qi17:F,Qi21:F,Qj55:F,Qj56:F,Qj55_1:F,Qj74:F,Qj57:F,Qj75:F,Qj83:F,Qj73:F,Qj83_1:F,"
    "Qj82:F,Qi23:F,Qi24:F,Qj70:F,Qj71:F,Qj72:F,Qj99:F,Qj89:F,Qj90:F,Qj91:F,Qj92:F,Qj93:F,Qj94:F,"
    "Qj95:F,Qj96:F,Qj97:F,Qj98:F,Qi25:F,Qj79:F,Qj77:F,Qj79_1:F,Qi27:F,Qj85:F,Qj85_1:F,Qj86:F,"
    "Qj86_1:F,Qj87:F,Qj87_1:F,Qi28:F,Qi29:F,Qj58:F,Qj59:F,Qj61:F,Qj62:F,Qj80:F,Qi19_1:F,Qi19_2:F,"
    "Qi19_3:F,Qi19_4:F,Qj88:S1,Qa_one:I,Pxh:S3";;

// The 77 sums of the enterprise summary: field and column name.
constexpr const char* kSums =
    "a.qa_one:企业数,a.QC02:工业总产值,a.QC05:总收入,a.QC06:技术收入,a.QC07:产品销售收入,a.QC09:高新技术产品,a.QC10:商品销售收入,"
    "a.QC49:其他收入,a.QC03:中间投入,a.QC43:增加值,a.QC44:工业增加值,a.QC11:出口创汇总额,a.QC12:净利润,a.QC13:实际上缴税费总额,"
    "a.QC14:上缴增值税,a.QC15:上缴营业税,a.QC16:上缴所得税,a.QC17:减免税总额,a.QC18:减免增值税,a.QC19:减免营业税,a.QC20:减免所得税,"
    "a.QC62:应交增值税,a.QC22:总成本与费用,a.QC23:利息支出,a.QC24:年末资产总计,a.QC25:流动资产,a.QC26:长期投资,a.QC27:固定资产,"
    "a.QC28:固定资产原价,a.QC29:固定资产净值,a.QC30:无形资产,a.QC31:年末负债,a.QC32:银行科技开发贷款,a.QC33:年末所有者权益股东权益,"
    "a.QC34:实收入资本,a.QC35:国家资本,a.QC45:集体资本,a.QC46:法人资本,a.QC47:个人资本,a.QC48:港澳台资本,a.QC36:外商资本,"
    "a.QC37:盈余公积,a.QC40:本年完成固定资产投资额,a.QC41:工业能源消费量,a.QD01:年末从业人员数,a.QD03:留学归国人数,a.QD04:留学归国硕士以上,"
    "a.QD23:工程技术人员,a.QD21:引进外籍专家,a.QD14:吸纳毕业生,a.QD05:从业人员年平均数,a.QD18:研究生,a.QD06:博士,a.QD07:硕士,"
    "a.QD08:大学,a.QD09:大专,a.QD10:中专,a.QD11:高级,a.QD12:中级,a.QD13:初级,a.QJ09:科技活动人员合计,a.QJ09_1:全时,"
    "a.QJ11:参加科技项目人员,a.QJ12:高中级职称1,a.QJ13:无高中级职称1,a.QJ23:内部支出合计,a.QJ33:外部支出合计,a.QI09:全部科技项目数,"
    "a.Qj53:科技项目内部支出,a.QI01:企业办科技机构数,a.QI07:机构科技活动人员,a.QJ70:新产品产值,a.QJ71:新产品销售收入,a.QJ73:拥有发明专利数,"
    "a.QJ55:专利申请数,a.QJ74:专利授权数,a.QJ58:技术改造经费支出";;

constexpr int kMasterRows = 20000;
constexpr int kDetailRows = 60000;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  for (std::string part; std::getline(stream, part, separator);) parts.push_back(part);
  return parts;
}

FieldDefs MasterLayout() {
  FieldDefs fields;
  for (const std::string& entry : Split(kMasterFields, ',')) {
    const std::size_t colon = entry.find(':');
    const std::string name = entry.substr(0, colon);
    const char kind = entry[colon + 1];
    if (kind == 'S') fields.push_back({name, FieldType::String, std::stoi(entry.substr(colon + 2))});
    if (kind == 'F') fields.push_back({name, FieldType::Float, 0});
    if (kind == 'I') fields.push_back({name, FieldType::SmallInt, 0});
    if (kind == 'D') fields.push_back({name, FieldType::Date, 0});
  }
  return fields;
}

struct Data {
  FieldDefs master_fields = MasterLayout();
  FieldDefs detail_fields = {{"QA01", FieldType::String, 6}, {"QE14", FieldType::Float, 0},
                             {"QE15", FieldType::Float, 0}, {"QE16", FieldType::Float, 0},
                             {"qe_one", FieldType::SmallInt, 0}};
  std::vector<Row> master;
  std::vector<Row> detail;
};

std::string Key(int i) {
  char key[8];
  std::snprintf(key, sizeof key, "%06d", 100000 + i);
  return key;
}

Data MakeData() {
  Data data;
  std::mt19937 random(2011);
  auto number = [&random]() -> Value {
    const int draw = static_cast<int>(random() % 1000);
    if (draw < 80) return Value();                        // not filled in
    if (draw < 85) return Value::Float(-(draw % 7) - 1);  // a fault for the rules
    return Value::Float(static_cast<double>(random() % 1000000) / 10);
  };
  for (int i = 0; i < kMasterRows; ++i) {
    Row row;
    for (const FieldDef& field : data.master_fields) {
      switch (field.type) {
        case FieldType::String:
          if (field.name == "QA01") {
            row.push_back(Value::Text(Key(i)));
          } else if (field.name == "Id") {
            row.push_back(Value::Text("K" + Key(i)));
          } else {
            const std::string code = std::to_string(random() % 10000);
            row.push_back(random() % 10 == 0 ? Value() : Value::Text(code.substr(0, field.size)));
          }
          break;
        case FieldType::SmallInt: row.push_back(Value::Integer(1)); break;
        case FieldType::Date: row.push_back(Value::FromDate(Date{734000 + i % 365})); break;
        default: row.push_back(number()); break;
      }
    }
    data.master.push_back(std::move(row));
  }
  for (int i = 0; i < kDetailRows; ++i) {
    data.detail.push_back({Value::Text(Key(static_cast<int>(random() % kMasterRows))), number(), number(),
                           number(), Value::Integer(1)});
  }
  return data;
}

std::vector<std::string> Workload(const FieldDefs& master) {
  std::vector<std::string> floats, flags;
  for (const FieldDef& field : master) {
    if (field.type == FieldType::Float) floats.push_back(field.name);
    if (field.type == FieldType::String && field.size == 1) flags.push_back(field.name);
  }
  std::vector<std::string> statements;
  for (int i = 0; i < 200; ++i) {
    const std::string& f = floats[(i * 7) % floats.size()];
    const std::string& g = floats[(i * 13 + 5) % floats.size()];
    std::string condition;
    std::string shown = f;
    switch (i % 6) {
      case 0: condition = f + ">=0 and " + f + "<=1e9"; break;
      case 1: condition = f + ">=0"; break;
      case 2: condition = f + "<=" + g + " or " + g + " is null"; break;
      case 3: condition = f + " is not null"; break;
      case 4:
        shown = flags[i % flags.size()];
        condition = shown + " in ('1','2','3') or " + shown + " is null";
        break;
      default: condition = f + "+" + g + ">=0"; break;
    }
    statements.push_back("select QA01 编号," + shown + " 字段值 from \"kfq_1.db\" where not (" + condition + ")");
  }
  statements.push_back(
      "select a.QA01 编号,sum(b.QE14) 字段值 from \"kfq_1.db\" a left join \"kfq_2.db\" b on "
      "a.QA01=b.QA01 group by a.QA01");
  std::string sums;
  for (const std::string& pair : Split(kSums, ',')) {
    const std::size_t colon = pair.find(':');
    sums += (sums.empty() ? "select sum(" : ",sum(") + pair.substr(0, colon) + ") " + pair.substr(colon + 1) + "\n";
  }
  statements.push_back(sums + " from \"kfq_1.db\" a");
  return statements;
}

void Check(int code, sqlite3* db) {
  if (code != SQLITE_OK && code != SQLITE_DONE && code != SQLITE_ROW) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
}

void LoadSqlite(sqlite3* db, const char* name, const FieldDefs& fields, const std::vector<Row>& rows) {
  std::string create = std::string("create table \"") + name + "\" (";
  std::string insert = std::string("insert into \"") + name + "\" values (";
  for (std::size_t c = 0; c < fields.size(); ++c) {
    create += (c ? "," : "") + fields[c].name + (fields[c].type == FieldType::String ? " text" : " real");
    insert += c ? ",?" : "?";
  }
  Check(sqlite3_exec(db, (create + ")").c_str(), nullptr, nullptr, nullptr), db);
  Check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db);
  sqlite3_stmt* statement = nullptr;
  Check(sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &statement, nullptr), db);
  for (const Row& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      const Value& value = row[c];
      const int slot = static_cast<int>(c) + 1;
      if (value.is_null()) {
        sqlite3_bind_null(statement, slot);
      } else if (value.kind() == Value::Kind::Text) {
        sqlite3_bind_text(statement, slot, value.text().c_str(), -1, SQLITE_TRANSIENT);
      } else if (value.kind() == Value::Kind::Date) {
        sqlite3_bind_double(statement, slot, value.date().day);
      } else {
        sqlite3_bind_double(statement, slot, value.AsDouble());
      }
    }
    Check(sqlite3_step(statement), db);
    sqlite3_reset(statement);
  }
  sqlite3_finalize(statement);
  Check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db);
}

// Runs and materialises every statement as our engine does.
std::size_t RunSqlite(sqlite3* db, const std::vector<std::string>& statements) {
  std::size_t rows_read = 0;
  for (const std::string& sql : statements) {
    sqlite3_stmt* statement = nullptr;
    Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), db);
    std::vector<Row> rows;
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      Row row;
      for (int c = 0; c < columns; ++c) {
        switch (sqlite3_column_type(statement, c)) {
          case SQLITE_TEXT:
            row.push_back(Value::Text(reinterpret_cast<const char*>(sqlite3_column_text(statement, c))));
            break;
          case SQLITE_NULL: row.push_back(Value()); break;
          default: row.push_back(Value::Float(sqlite3_column_double(statement, c))); break;
        }
      }
      rows.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    rows_read += rows.size();
  }
  return rows_read;
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  const Data data = MakeData();
  MemoryCatalog catalog;
  catalog.Add("kfq_1.db", data.master_fields, data.master);
  catalog.Add("kfq_2.db", data.detail_fields, data.detail);
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  LoadSqlite(db, "kfq_1.db", data.master_fields, data.master);
  LoadSqlite(db, "kfq_2.db", data.detail_fields, data.detail);
  Check(sqlite3_exec(db, "create index kfq_2_qa01 on \"kfq_2.db\" (QA01)", nullptr, nullptr, nullptr), db);
  const std::vector<std::string> statements = Workload(data.master_fields);

  auto start = std::chrono::steady_clock::now();
  std::size_t ours_rows = 0;
  for (const std::string& sql : statements) ours_rows += RunStatement(sql, catalog).rows.size();
  const double ours = Seconds(start);

  start = std::chrono::steady_clock::now();
  const std::size_t sqlite_rows = RunSqlite(db, statements);
  const double theirs = Seconds(start);
  sqlite3_close(db);

  std::printf("statements: %zu (200 plain rules, 1 grouped rule, 1 sum of 77 columns)\n", statements.size());
  std::printf("rows: ours %zu, sqlite %zu\n", ours_rows, sqlite_rows);
  std::printf("ours   %.3f s\nsqlite %.3f s\nratio  %.2f\n", ours, theirs, ours / theirs);
  return ours_rows == sqlite_rows ? 0 : 1;
}
