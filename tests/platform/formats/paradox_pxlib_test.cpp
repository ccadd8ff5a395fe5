// Our Paradox files read by an independent reader, Debian's pxlib. Its
// 0.6.8 crashes on memo values kept in the .mb, so memos stay out of here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/formats/paradox_table.h"

#include "tests/support/pxlib_reader.h"

namespace veltra::formats {
namespace {

namespace fs = std::filesystem;

#ifdef VELTRA_HAVE_PXLIB
std::vector<std::string> Expected(const Record& r) {
  std::vector<std::string> row;
  for (const Value& v : r) {
    if (v.is_null()) row.push_back("<null>");
    else if (v.kind() == Value::Kind::Boolean) row.push_back(v.boolean() ? "1" : "0");
    else if (v.kind() == Value::Kind::Date) row.push_back(std::to_string(v.date().day));  // pxlib counts days as the file does
    else row.push_back(v.ToDisplayText());
  }
  return row;
}
#endif

TEST(ParadoxPxlib, ReadsOurTablesAfterEveryKindOfWrite) {
#ifndef VELTRA_HAVE_PXLIB
  GTEST_SKIP() << "pxlib (pkg-config pxlib) is not installed";
#else
  const fs::path dir = fs::temp_directory_path() / ("paradox_pxlib_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const FieldDefs fields{{"名称", FieldType::String, 12}, {"amount", FieldType::Float, 0},
                         {"n", FieldType::SmallInt, 0},   {"big", FieldType::Integer, 0},
                         {"day", FieldType::Date, 0},     {"ok", FieldType::Boolean, 0}};
  std::vector<Record> records;
  for (int i = 0; i < 300; ++i) {
    records.push_back({Value::Text("统计表" + std::to_string(100000 + i)), Value::Float(i * -2.5),
                       Value::Integer(i - 150), Value::Integer(i * 7919), Value::FromDate(Date{734477 + i}),
                       Value::Boolean(i % 3 == 0)});
  }
  records.push_back(Record(fields.size()));
  CreateParadoxTable(dir / "px.db", fields, records);
  auto table = OpenParadoxTable(dir / "px.db");
  for (const std::size_t at : {0u, 150u, 297u}) {
    table->Remove(at);
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(at));
  }
  records[7][0] = Value::Text("改");
  table->Overwrite(7, records[7]);
  for (int i = 0; i < 200; ++i) {
    records.push_back({Value::Text("追加"), Value::Float(i), Value(), Value(), Value(), Value::Boolean(false)});
    table->Append(records.back());
  }
  const auto rows = veltra::testing::ReadWithPxlib(dir / "px.db").rows;
  ASSERT_EQ(rows.size(), records.size());
  // pxlib 0.6.8 shows a blank number as 0 and a blank long or date as
  // -2147483648; blank alpha, short and logical fields it sees as null.
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const auto expected = Expected(records[r]);
    for (std::size_t f = 0; f < expected.size(); ++f) {
      if (expected[f] == "<null>" && (rows[r][f] == "0" || rows[r][f] == "-2147483648")) continue;
      ASSERT_EQ(rows[r][f], expected[f]) << "record " << r << " field " << f;
    }
  }
  fs::remove_all(dir);
#endif
}

// A table in code page 850 stays in it when changed: pxlib, which decodes
// by the header's code page, reads the old and the new text alike.
TEST(ParadoxPxlib, ReadsAChangedCodePage850Table) {
#ifndef VELTRA_HAVE_PXLIB
  GTEST_SKIP() << "pxlib (pkg-config pxlib) is not installed";
#else
  const fs::path dir = fs::temp_directory_path() / ("paradox_pxlib_850_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const FieldDefs fields{{"name", FieldType::String, 6}, {"n", FieldType::SmallInt, 0}};
  CreateParadoxTable(dir / "cp.db", fields, {{Value::Text("søn"), Value::Integer(1)}, {Value::Text("x"), Value::Integer(2)}}, 850);
  auto table = OpenParadoxTable(dir / "cp.db");
  table->Overwrite(1, {Value::Text("Ørsted"), Value::Integer(3)});
  table->Append({Value::Text("über"), Value::Integer(4)});
  EXPECT_EQ(veltra::testing::ReadWithPxlib(dir / "cp.db").rows,
            (std::vector<std::vector<std::string>>{{"søn", "1"}, {"Ørsted", "3"}, {"über", "4"}}));
  fs::remove_all(dir);
#endif
}

}  // namespace
}  // namespace veltra::formats
