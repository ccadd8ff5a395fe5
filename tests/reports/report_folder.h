#pragma once
// An installed working folder holding a dozen enterprises, their products
// and projects, software-base enterprises and programme projects, with
// figures chosen so that every total can be checked by hand.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mainunit/main_unit.h"
#include "platform/db/table.h"
#include "platform/formats/table_file.h"
#include "reports/builder_query.h"
#include "tests/install/install_test_support.h"
#include "tests/support/working_folder.h"

namespace veltra::reports {

using Fields = std::map<std::string, std::string>;

class ReportFolderTest : public ::testing::Test {
 protected:
  // `demo`: the install tool's demo folder, with its few fictitious records.
  explicit ReportFolderTest(bool demo = false) : installed_(demo), main_(installed_.folder()) {}

  mainunit::MainUnit& main() { return main_; }
  BuilderContext& context() { return context_; }
  std::filesystem::path Path(const std::string& table) { return main_.Database1.ResolveTableName(table); }

  // Appends rows, each a map of field name to display text ("" leaves it null).
  void AddRows(const std::string& table, const std::vector<Fields>& rows) {
    testing::AppendRows(main_.Database1, table, rows);
  }

  // Every record of a table as column name -> display text ("" for null).
  std::vector<Fields> Rows(const std::string& table) {
    auto file = formats::OpenTableFile(Path(table));
    std::vector<Fields> rows;
    for (const formats::Record& record : file->ReadAll()) {
      Fields row;
      for (std::size_t i = 0; i < record.size(); ++i) {
        row[file->fields()[i].name] = record[i].is_null() ? "" : record[i].ToDisplayText();
      }
      rows.push_back(std::move(row));
    }
    return rows;
  }

  std::vector<std::string> Column(const std::string& table, const std::string& field) {
    std::vector<std::string> values;
    for (const Fields& row : Rows(table)) values.push_back(row.at(field));
    return values;
  }

  std::vector<std::string> ColumnNames(const std::string& table) {
    const auto file = formats::OpenTableFile(Path(table));
    std::vector<std::string> names;
    for (const FieldDef& field : file->fields()) names.push_back(field.name);
    return names;
  }

  // The hand-checkable survey: see the totals in the tests.
  void FillSurvey() {
    const std::vector<std::vector<std::string>> enterprises = {
        // qa01     qa02  qb03    qb07 qb11 qb15  qc05      qc02
        {"110001", "1", "0600", "1", "1", "1", "5000", "100"},
        {"110002", "1", "4699", "1", "2", "", "100000", "200"},
        {"110003", "2", "0599", "2", "1", " ", "50000", "300"},
        {"110004", "2", "4700", "", "", "10", "49999", ""},
        {"110005", "3", "6301", "1", "1", "", "10", "400"},
        {"110006", "1", "7512", "2", "2", "2", "4999", "500"},
        {"110007", "2", "", "1", "1", "", "200000", "600"},
        {"110008", "1", "6400", "", "1", "11", "99999", "700"},
        {"110009", "", "7399", "1", "2", "", "0", "800"},
        {"110010", "1", "4600", "1", "1", "", "100000", "900"},
        {"110011", "2", "6200", "2", "", "", "60000", "1000"},
        {"110012", "1", "0601", "1", "1", "", "4999.5", "1100"},
    };
    std::vector<Fields> rows;
    for (const auto& e : enterprises) {
      rows.push_back({{"Id", e[0]}, {"QA01", e[0]}, {"QA02", e[1]}, {"QA04", "企业" + e[0]}, {"QB03", e[2]},
                      {"QB07", e[3]}, {"QB11", e[4]}, {"QB15", e[5]}, {"QC05", e[6]}, {"QC02", e[7]},
                      {"Qa_one", "1"}});
    }
    rows[0]["Qj14"] = "1.5";
    rows[5]["Qj14"] = "2.5";
    AddRows("kfq_1.db", rows);
    AddRows("kfq_2.db", {{{"ID", "110001_1"}, {"QA01", "110001"}, {"QE_ONE", "1"}, {"QE14", "10"}},
                         {{"ID", "110001_2"}, {"QA01", "110001"}, {"QE_ONE", "1"}, {"QE14", "20"}},
                         {{"ID", "110002_1"}, {"QA01", "110002"}, {"QE_ONE", "1"}}});
    AddRows("kfq_5.db", {{{"ID", "110001_1"}, {"QA01", "110001"}, {"Qh_one", "1"}, {"Qh50", "7.5"}, {"Qh08", "3"}},
                         {{"ID", "110003_1"}, {"QA01", "110003"}, {"Qh_one", "1"}, {"Qh50", "2.5"}, {"Qh08", "4"}}});
    AddRows("rjjdqy.db", {{{"Id", "0001_1"}, {"Code", "0001"}, {"Rjjd2_one", "1"}, {"KE128", "100"}},
                          {{"Id", "0001_2"}, {"Code", "0001"}, {"Rjjd2_one", "1"}, {"KE128", "200"}},
                          {{"Id", "0002_1"}, {"Code", "0002"}, {"Rjjd2_one", "1"}, {"KE128", "300"}}});
    AddRows("dfxm2.db", {{{"Id", "D1"}, {"DF_ONE", "1"}, {"JC100", "50"}},
                         {{"Id", "D2"}, {"DF_ONE", "1"}, {"JC100", "70"}, {"JG402", "5"}}});
    AddRows("gjxm.db", {{{"Id", "G1"}, {"IS_CHGE", "1"}, {"GJ_ONE", "1"}, {"JC100", "10"}},
                        {{"Id", "G2"}, {"IS_CHGE", "2"}, {"GJ_ONE", "1"}, {"JC100", "20"}},
                        {{"Id", "G3"}, {"GJ_ONE", "1"}, {"JC100", "40"}},
                        {{"Id", "G4"}, {"IS_CHGE", "3"}, {"GJ_ONE", "1"}, {"JC100", "80"}}});
  }

 private:
  install::InstalledFolder installed_;
  mainunit::MainUnit main_;
  db::Query Query1_{main_.Database1};
  BuilderContext context_{main_, Query1_, {}};
};

}  // namespace veltra::reports
