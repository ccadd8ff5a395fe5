#include "install/row_file.h"

#include <gtest/gtest.h>

namespace veltra::install {
namespace {

TEST(RowFile, ReadsTablesColumnsAndRows) {
  const auto tables = ParseRowFile(
      "# comment\ntable a.db\ncolumns x | y\n1 | 甲 乙\n | \n\ntable b.db\ncolumns z\nq\n", "r.txt");
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[0].rows.size(), 2u);
  EXPECT_EQ(tables[0].Value(0, "Y"), "甲 乙");
  EXPECT_EQ(tables[0].Value(1, "x"), "");
  EXPECT_EQ(tables[0].Value(0, "nosuch"), "");
  EXPECT_EQ(tables[0].lines, (std::vector<int>{4, 5}));
  EXPECT_EQ(tables[1].rows[0][0], "q");
}

TEST(RowFile, ErrorsNameFileAndLine) {
  auto message = [](const char* text) {
    try {
      ParseRowFile(text, "r.txt");
    } catch (const InstallError& error) {
      return std::string(error.what());
    }
    return std::string("accepted");
  };
  EXPECT_EQ(message("columns x\n"), "r.txt:1: a table line must come first");
  EXPECT_EQ(message("table a.db\n1 | 2\n"), "r.txt:2: rows of a.db before its columns line");
  EXPECT_EQ(message("table a.db\ncolumns x | y\n1\n"), "r.txt:3: a.db: 1 values for 2 columns");
}

}  // namespace
}  // namespace veltra::install
