// Every statement that the default installation's catalogues lead the
// system to run, built as validation and the query window build them,
// must parse and run on the SQL engine, over an empty and a demo folder;
// every rule must also compile as a record constraint of its table.
#include <gtest/gtest.h>

#include <map>

#include "install_test_support.h"
#include "platform/db/database.h"
#include "platform/sql/condition.h"
#include "platform/sql/engine.h"
#include "platform/types/error.h"
#include "schema/schema.h"

namespace veltra::install {
namespace {

std::string Text(const Value& value) { return value.is_null() ? std::string() : value.ToDisplayText(); }

class Statements {
 public:
  explicit Statements(const InstalledFolder& installed) : installed_(installed), database_(installed.folder()) {}

  sql::Result Run(const std::string& statement) {
    ++count_;
    try {
      return sql::RunStatement(statement, database_);
    } catch (const EngineError& error) {
      ADD_FAILURE() << error.what() << "\n  in: " << statement;
      return {};
    }
  }

  // Rows of a table as name -> value maps, by column name.
  std::vector<std::map<std::string, std::string>> Table(const std::string& name) const {
    const FieldDefs fields = installed_.Fields(name);
    std::vector<std::map<std::string, std::string>> rows;
    for (const formats::Record& record : installed_.Rows(name)) {
      std::map<std::string, std::string> row;
      for (std::size_t i = 0; i < fields.size(); ++i) row[fields[i].name] = Text(record[i]);
      rows.push_back(std::move(row));
    }
    return rows;
  }

  const std::filesystem::path& folder() const { return database_.Folder(); }
  int count() const { return count_; }

 private:
  const InstalledFolder& installed_;
  db::Database database_;
  int count_ = 0;
};

// The FROM part that validation builds from a catalogue row's db_name.
std::string TableExpression(const std::string& db_name) {
  const std::size_t comma = db_name.find(',');
  if (comma == std::string::npos) return "\"" + db_name;
  return "\"" + db_name.substr(0, comma) + " left join \"" + db_name.substr(comma + 1);
}

void RunValidation(Statements& statements) {
  std::map<int, std::string> results;
  for (const auto& entry : statements.Table("check_db.DB")) {
    const int kind = std::stoi(entry.at("id"));
    if (!results.count(kind)) results[kind] = entry.at("check_result");
    const std::string& result = results[kind];
    const std::string suffix = kind == 4 ? ",is_chge" : "";
    const std::string filter = kind == 4 ? " and (is_chge=\"1\" or is_chge=\"2\")" : "";
    const std::string key = entry.at("field_name") + " 编号,";
    const std::string& extra = entry.at("field_name2");
    const std::string expression = TableExpression(entry.at("db_name"));
    SCOPED_TRACE(entry.at("check_name"));
    const auto rules = statements.Table(entry.at("check_name"));
    ASSERT_FALSE(rules.empty());
    auto stamp = [&](const std::string& field, const std::string& text, const std::string& status) {
      statements.Run("update " + result + " set 字段名='" + field + "',错误信息='" + text + "',状态='" + status +
                     "' where 字段名 IS NULL");
    };
    if (expression.find(';') != std::string::npos) {
      const std::string& column = entry.at("check_result");
      std::string first = "select " + key + column + " 字段值" + suffix + extra + " from " +
                          expression.substr(0, expression.size() - 1) + " where not (" + column + "='" +
                          rules[0].at("code") + "'";
      for (std::size_t i = 1; i < rules.size(); ++i) first += "\n or " + column + "='" + rules[i].at("code") + "'";
      statements.Run(first + ")" + filter);
      statements.Run("select 编号,字段值" + suffix + extra + " from tmp_r.db where not (字段值='" +
                     rules[0].at("code") + "')" + filter);
      stamp(column, entry.at("text1"), "错误");
    } else if (expression.find("left join") != std::string::npos) {
      for (const auto& rule : rules) {
        const sql::Result groups = statements.Run("select " + key + rule.at("field_name") + suffix + " from " +
                                                  expression + " on " + rule.at("link") + " group by " +
                                                  rule.at("group"));
        ASSERT_TRUE(groups.has_result_set);
        FieldDefs columns = groups.columns;
        for (FieldDef& column : columns) {
          if (column.type == FieldType::String) ++column.size;  // as the window's SaveQueryAsTable does
        }
        formats::CreateTableFile(statements.folder() / "tmp.db", formats::TableKind::Paradox, columns, groups.rows);
        statements.Run("select 编号," + rule.at("disp_field") + suffix + " from tmp.db where (" +
                       rule.at("field_value") + ")");
        stamp(rule.at("disp_field"), rule.at("field_text"), rule.at("status"));
      }
    } else {
      for (const auto& rule : rules) {
        statements.Run("select " + key + rule.at("field_name") + " 字段值" + suffix + extra + " from " +
                       expression + " where not (" + rule.at("field_value") + ")" + filter);
        stamp(rule.at("field_name"), rule.at("field_text"), rule.at("status"));
      }
      statements.Run("delete from sendname.db where id=2 and name=" + expression);
      statements.Run("insert into sendname.db (id,name,text) values (2," + expression + ",'" +
                     entry.at("Text2") + "')");
    }
  }
  for (const auto& [kind, result] : results) {
    statements.Run("delete from " + result +
                   " where 编号 is null and (字段名='qj25' or 字段名='qj26' or 字段名='qj27' or 字段名='qj01')");
    statements.Run("select * from " + result + " order by 状态 desc,编号");
    statements.Run("delete from sendname.db where id=1 and name='" + result + "'");
    statements.Run("insert into sendname.db (id,name,text) values (1,'" + result + "','结果')");
  }
}

// The listing and the totals of every dictionary with all fields ticked.
void RunDictionaries(Statements& statements) {
  for (const auto& entry : statements.Table("query_db.db")) {
    SCOPED_TRACE(entry.at("db_name"));
    const auto fields = statements.Table(entry.at("db_name"));
    ASSERT_FALSE(fields.empty());
    std::vector<std::string> tables;
    std::string listing, sums, group, group_caption;
    for (const auto& field : fields) {
      const std::string& name = field.at("db_name");
      const std::string reference = name.size() > 2 && name[name.size() - 2] == ' '
                                        ? "\"" + name.substr(0, name.size() - 2) + "\" " + name.back()
                                        : "\"" + name + "\"";
      if (std::find(tables.begin(), tables.end(), reference) == tables.end()) tables.push_back(reference);
      const std::string item = field.at("field_name") + " " + field.at("field_text");
      if (field.at("field_type") != "0") listing += (listing.empty() ? "select " : ",") + item;
      if (field.at("field_type") == "N" || field.at("field_type") == "0") {
        sums += ",sum(" + field.at("field_name") + ") " + field.at("field_text") + "合计";
      } else if (group.empty()) {
        group = field.at("field_name");
        group_caption = field.at("field_text");
      }
    }
    std::string from = " from " + tables[0], join;
    const std::string key = fields[0].at("field_name");
    for (std::size_t k = 1; k < tables.size(); ++k) {
      from += "," + tables[k];
      join += std::string(join.empty() ? "(" : " and (") + key + "=" + tables[k].back() + key.substr(1) + ")";
    }
    std::string where = join.empty() ? "" : " where" + join;
    if (std::stoi(entry.at("id")) == 4) where += (where.empty() ? " where " : " and (") + std::string(" (is_chge=\"1\" or is_chge=\"2\")") + (where.empty() ? "" : ")");
    statements.Run(listing + from + where);
    if (!sums.empty()) statements.Run("select " + group + " " + group_caption + sums + from + where + " group by " + group);
  }
}

// The summaries name fields that the enterprise tables carry for them.
void RunSummarySamples(Statements& statements) {
  statements.Run("select sum(a.Qj14) Qj14,sum(a.QJ15) Qj15,sum(a.Qj24) Qj24,sum(a.Qj76) Qj76,"
                 "sum(a.Qj83_2) Qj83_2,sum(a.Qi51) Qi51,sum(a.Qi52) Qi52 from \"kfq_1.db\" a");
  statements.Run("select sum(c.Qh08) Qh08,sum(c.Qh08_1) Qh08_1,sum(c.Qh08_2) Qh08_2,sum(c.Qh08_3) Qh08_3,"
                 "sum(c.Qh50) Qh50 from \"kfq_5.db\" c");
  statements.Run("select count(qa02) 政策区企业数 from \"kfq_1.db\" where qa02='1'");
  statements.Run("select sum(DF_ONE) 地方级项目数,sum(JC100) 计划总投资 from \"dfxm2.db\"");
}

void RunEverything(bool demo) {
  InstalledFolder installed(demo);
  Statements statements(installed);
  RunValidation(statements);
  RunDictionaries(statements);
  RunSummarySamples(statements);
  EXPECT_GT(statements.count(), 200);
}

TEST(InstalledStatements, RunOnAnEmptyFolder) { RunEverything(false); }
TEST(InstalledStatements, RunOnTheDemoFolder) { RunEverything(true); }

// Every rule is a valid record condition of the table it guards, so that
// the entry windows can install it as a constraint; masks name real fields.
// Rule table -> the survey table it guards.
std::map<std::string, std::string> GuardedTables(Statements& statements) {
  std::map<std::string, std::string> guarded = {{"kzh_chk.db", "kfqzh.db"}};  // no validation for kind 2
  for (const auto& entry : statements.Table("check_db.DB")) {
    const std::string& db_name = entry.at("db_name");
    if (db_name.find_first_of(",;") == std::string::npos) guarded[entry.at("check_name")] = db_name.substr(0, db_name.find('"'));
  }
  return guarded;
}

TEST(InstalledRules, CompileAsConstraintsOfTheirTables) {
  InstalledFolder installed(false);
  Statements statements(installed);
  const auto guarded = GuardedTables(statements);
  EXPECT_EQ(guarded.size(), 16u);  // every survey table but gj_wsb.db, whose window loads no rules
  for (const auto& [rules, table] : guarded) {
    SCOPED_TRACE(rules);
    const FieldDefs layout = installed.Fields(table);
    for (const auto& rule : statements.Table(rules)) {
      EXPECT_GE(FindField(layout, rule.at("field_name")), 0) << rule.at("field_name");
      EXPECT_TRUE(rule.at("status") == "错误" || rule.at("status") == "警告") << rule.at("status");
      try {
        sql::CompileCondition(rule.at("field_value"), layout);
      } catch (const EngineError& error) {
        ADD_FAILURE() << error.what() << " in " << rule.at("field_value");
      }
    }
  }
}

// The demo records satisfy every hard rule: the entry windows must be able
// to save them again without a refusal.
TEST(InstalledRules, DemoRecordsKeepTheHardRules) {
  InstalledFolder installed(true);
  Statements statements(installed);
  for (const auto& [rules, table] : GuardedTables(statements)) {
    for (const auto& rule : statements.Table(rules)) {
      if (rule.at("status") != "错误") continue;
      const sql::Result broken =
          statements.Run("select * from \"" + table + "\" where not (" + rule.at("field_value") + ")");
      EXPECT_TRUE(broken.rows.empty()) << table << ": " << rule.at("field_text");
    }
  }
}

}  // namespace
}  // namespace veltra::install
