// The byte forms of dBase cells, headers and memos against the format
// note's test vectors.
#include <gtest/gtest.h>

#include "platform/formats/dbase_cell.h"
#include "platform/formats/dbase_header.h"
#include "platform/formats/dbase_memo.h"
#include "platform/formats/dbase_names.h"
#include "platform/formats/file_io.h"
#include "platform/text/gbk.h"
#include "tests/platform/formats/dbase_test_support.h"

namespace veltra::formats {
namespace {

const CodePage kGbk = CodePage::Gbk();

DbfField Field(char type, int length, int decimals = 0) { return DbfField{"F", type, length, decimals, 1}; }

TEST(DBaseCellTest, NumbersMatchTheVectorsBothWays) {
  EXPECT_EQ(EncodeCell(Field('N', 10, 2), Value::Float(12.5), kGbk), "     12.50");
  EXPECT_EQ(EncodeCell(Field('N', 10, 2), Value::Integer(-3), kGbk), "     -3.00");
  EXPECT_EQ(EncodeCell(Field('N', 20, 2), Value::Float(1), kGbk), std::string(16, ' ') + "1.00");
  EXPECT_EQ(EncodeCell(Field('N', 5, 0), Value::Float(42), kGbk), "   42");
  EXPECT_EQ(EncodeCell(Field('N', 6, 2), Value::Float(-0.001), kGbk), "  0.00");
  EXPECT_EQ(DecodeCell(Field('N', 10, 2), "     12.50", kGbk), Value::Float(12.5));
  EXPECT_EQ(DecodeCell(Field('N', 10, 2), "     -3.00", kGbk), Value::Float(-3));
  EXPECT_EQ(DecodeCell(Field('F', 8, 0), "+7      ", kGbk), Value::Float(7));
  EXPECT_TRUE(DecodeCell(Field('N', 4), "    ", kGbk).is_null());
  EXPECT_TRUE(DecodeCell(Field('N', 4), "****", kGbk).is_null());
  EXPECT_THROW(DecodeCell(Field('N', 4), " 1x2", kGbk), CellError);
  EXPECT_THROW(DecodeCell(Field('N', 4), " nan", kGbk), CellError);
}

TEST(DBaseCellTest, NumberTooWideIsRefusedNotStarred) {
  EXPECT_EQ(EncodeCell(Field('N', 5, 1), Value::Float(-99.9), kGbk), "-99.9");
  EXPECT_THROW(EncodeCell(Field('N', 5, 1), Value::Float(1000), kGbk), CellError);
  EXPECT_THROW(EncodeCell(Field('N', 6, 0), Value::Integer(-100000), kGbk), CellError);
  EXPECT_THROW(EncodeCell(Field('N', 20, 2), Value::Float(1e300), kGbk), CellError);
  EXPECT_THROW(EncodeCell(Field('N', 5, 0), Value::Text("12"), kGbk), CellError);
}

TEST(DBaseCellTest, DatesLogicalsAndMemoPointers) {
  EXPECT_EQ(EncodeCell(Field('D', 8), DateValue(2011, 12, 6), kGbk), "20111206");
  EXPECT_EQ(EncodeCell(Field('D', 8), Value::Null(), kGbk), std::string(8, ' '));
  EXPECT_EQ(DecodeCell(Field('D', 8), "20111206", kGbk), DateValue(2011, 12, 6));
  EXPECT_TRUE(DecodeCell(Field('D', 8), "        ", kGbk).is_null());
  EXPECT_TRUE(DecodeCell(Field('D', 8), "00000000", kGbk).is_null());
  EXPECT_THROW(DecodeCell(Field('D', 8), "20110230", kGbk), CellError);
  EXPECT_THROW(DecodeCell(Field('D', 8), "2011-1-1", kGbk), CellError);

  EXPECT_EQ(EncodeCell(Field('L', 1), Value::Boolean(true), kGbk), "T");
  EXPECT_EQ(EncodeCell(Field('L', 1), Value::Null(), kGbk), " ");
  EXPECT_EQ(DecodeCell(Field('L', 1), "y", kGbk), Value::Boolean(true));
  EXPECT_EQ(DecodeCell(Field('L', 1), "N", kGbk), Value::Boolean(false));
  EXPECT_TRUE(DecodeCell(Field('L', 1), "?", kGbk).is_null());
  EXPECT_THROW(DecodeCell(Field('L', 1), "X", kGbk), CellError);

  EXPECT_EQ(EncodeMemoPointer(1), std::string(9, ' ') + "1");
  EXPECT_EQ(EncodeMemoPointer(std::nullopt), std::string(10, ' '));
  EXPECT_EQ(DecodeMemoPointer(std::string(9, ' ') + "1"), 1u);
  EXPECT_EQ(DecodeMemoPointer(std::string(10, ' ')), std::nullopt);
  EXPECT_THROW(DecodeMemoPointer("      12a "), CellError);
}

TEST(DBaseCellTest, TextIsPaddedCutOnCharacterBoundariesAndStripped) {
  EXPECT_EQ(EncodeCell(Field('C', 6), Value::Text("ab"), kGbk), "ab    ");
  // "高新区" is six GBK bytes; five bytes hold only two characters.
  EXPECT_EQ(EncodeCell(Field('C', 5), Value::Text("高新区"), kGbk), text::Utf8ToGbk("高新") + " ");
  EXPECT_EQ(EncodeCell(Field('C', 6), Value::Text("高新区"), kGbk), text::Utf8ToGbk("高新区"));
  EXPECT_THROW(EncodeCell(Field('C', 6), Value::Text("😀"), kGbk), text::TextError);
  EXPECT_EQ(DecodeCell(Field('C', 6), std::string(" x \0 \0", 6), kGbk), Value::Text(" x"));
  EXPECT_TRUE(DecodeCell(Field('C', 3), "   ", kGbk).is_null());
}

TEST(DBaseCellTest, WesternCodePagesDecodeThroughTheirTables) {
  const CodePage cp1252 = CodePage::ForLanguageDriver(0x03);
  const CodePage cp437 = CodePage::ForLanguageDriver(0x01);
  EXPECT_EQ(DecodeCell(Field('C', 4), "caf\xE9", cp1252), Value::Text("café"));
  EXPECT_EQ(DecodeCell(Field('C', 4), "caf\x82", cp437), Value::Text("café"));
  EXPECT_EQ(EncodeCell(Field('C', 3), Value::Text("café"), cp1252), "caf");
  EXPECT_EQ(EncodeCell(Field('C', 5), Value::Text("café"), cp1252), "caf\xE9 ");
  EXPECT_THROW(EncodeCell(Field('C', 5), Value::Text("高"), cp1252), text::TextError);
  try {
    DecodeCell(Field('C', 2), "a\x81", cp1252);  // a hole in cp1252
    ADD_FAILURE();
  } catch (const CellError& e) {
    EXPECT_NE(std::string(e.what()).find("第2个字节0x81"), std::string::npos) << e.what();
  }
}

TEST(DBaseHeaderTest, HeaderBytesMatchTheVectors) {
  DbfHeader header = MakeDbfHeader({{"NAME", FieldType::String, 16}, {"BORN", FieldType::Date}}, "people.dbf");
  header.record_count = 3;
  const std::string bytes = EncodeDbfHeader(header);
  ASSERT_EQ(bytes.size(), 97u);
  EXPECT_EQ(bytes[0], '\x03');
  EXPECT_EQ(bytes.substr(4, 8), std::string("\x03\x00\x00\x00\x61\x00\x19\x00", 8));
  EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 0x4D);
  EXPECT_EQ(bytes.substr(32, 12), std::string("NAME\0\0\0\0\0\0\0C", 12));
  EXPECT_EQ(bytes.substr(48, 2), std::string("\x10\x00", 2));
  EXPECT_EQ(bytes[96], '\x0D');
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), local.tm_year);  // 2011 would be 0x6F

  const DbfHeader parsed = ParseDbfHeader(bytes, 97 + 3 * 25, "people.dbf");
  EXPECT_EQ(parsed.record_count, 3u);
  ASSERT_EQ(parsed.fields.size(), 2u);
  EXPECT_EQ(parsed.fields[1].name, "BORN");
  EXPECT_EQ(parsed.fields[1].offset, 17);
}

TEST(DBaseHeaderTest, FieldMappingFollowsTheDocumentedChoices) {
  const DbfHeader h = MakeDbfHeader({{"S", FieldType::String, 30},
                                     {"F", FieldType::Float},
                                     {"W", FieldType::Float, 10, 3},
                                     {"SI", FieldType::SmallInt},
                                     {"I", FieldType::Integer},
                                     {"A", FieldType::AutoInc},
                                     {"MO", FieldType::Money},
                                     {"D", FieldType::Date},
                                     {"B", FieldType::Boolean},
                                     {"M", FieldType::Memo, 240},
                                     {"T", FieldType::Time},
                                     {"DT", FieldType::DateTime}},
                                    "t.dbf");
  const std::vector<std::tuple<char, int, int>> expected = {
      {'C', 30, 0}, {'N', 20, 6}, {'N', 10, 3}, {'N', 6, 0}, {'N', 11, 0}, {'N', 11, 0},
      {'N', 20, 2}, {'D', 8, 0},  {'L', 1, 0},  {'M', 10, 0}, {'C', 12, 0}, {'C', 23, 0}};
  ASSERT_EQ(h.fields.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(std::make_tuple(h.fields[i].type, h.fields[i].length, h.fields[i].decimals), expected[i])
        << h.fields[i].name;
  }
  EXPECT_EQ(h.version, 0x8B);
}

TEST(DBaseHeaderTest, NamesAndSizesDBaseCannotStoreAreRefusedByField) {
  const auto make = [](FieldDef def) { return [def] { MakeDbfHeader({def}, "out.dbf"); }; };
  using K = EngineError::Kind;
  ExpectEngineError(make({"ELEVENCHARS", FieldType::String, 5}), K::InvalidName, {"ELEVENCHARS", "out.dbf", "10个字节"});
  ExpectEngineError(make({"政策区企业数", FieldType::String, 5}), K::InvalidName, {"政策区企业数", "12个字节"});
  ExpectEngineError(make({"1ST", FieldType::String, 5}), K::InvalidName, {"1ST", "开头"});
  ExpectEngineError(make({"A-B", FieldType::String, 5}), K::InvalidName, {"A-B", "“-”"});
  ExpectEngineError(make({"", FieldType::String, 5}), K::InvalidName, {"out.dbf", "不能为空"});
  ExpectEngineError(make({"WIDE", FieldType::String, 255}), K::InvalidValue, {"WIDE", "254"});
  ExpectEngineError(make({"NARROW", FieldType::String, 0}), K::InvalidValue, {"NARROW"});
  ExpectEngineError(make({"NUM", FieldType::Float, 21, 2}), K::InvalidValue, {"NUM"});
  ExpectEngineError(make({"PIC", FieldType::Graphic}), K::Unsupported, {"PIC", "图形"});
  ExpectEngineError(make({"DOC", FieldType::FmtMemo}), K::Unsupported, {"DOC", "格式备注", "不是文字"});
  ExpectEngineError([] { MakeDbfHeader({{"A", FieldType::Date}, {"a", FieldType::Date}}, "x.dbf"); },
                    K::InvalidName, {"“a”", "重复"});
  // Chinese names are stored in the table's code page, up to ten bytes.
  const DbfHeader h = MakeDbfHeader(
      {{"jb00_X9", FieldType::String, 5}, {"ABCDEFGHIJ", FieldType::Date}, {"表头文字", FieldType::String, 5}}, "x.dbf");
  EXPECT_EQ(EncodeDbfHeader(h).substr(32 + 2 * 32, 11), std::string("\xB1\xED\xCD\xB7\xCE\xC4\xD7\xD6\0\0\0", 11));
}

// Names are cut to what dBase stores; the same columns always get the same names.
TEST(DBaseNamesTest, LongAndForeignNamesAreCutToUniqueStorableOnes) {
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
      {{"ID", "Fhqzfqy_one", "CODE"}, {"ID", "Fhqzfqy_on", "CODE"}},
      // A name that fits is never changed to make room for a cut one.
      {{"ABCDEFGHIJK", "ABCDEFGHIJL", "abcdefgh_1"}, {"ABCDEFGHIJ", "ABCDEFGH_2", "abcdefgh_1"}},
      {{"A", "a", "A_1"}, {"A", "a_2", "A_1"}},
      {{"政策区企业数", "政策区企业总数", "表头文字"}, {"政策区企业", "政策区企_1", "表头文字"}},
      {{"sum(x)", "1季度", "", "_id", "a b", "\xF0\x9F\x98\x80" "ab"}, {"sum_x_", "F1季度", "F", "F_id", "a_b", "F_ab"}},
  };
  for (const auto& [names, expected] : cases) {
    EXPECT_EQ(StorableDbfFieldNames(names, CodePage::Gbk()), expected) << names[0];
  }
  std::vector<std::string> many(12, "Fhqzfqy_one");
  const std::vector<std::string> stored = StorableDbfFieldNames(many, CodePage::Gbk());
  EXPECT_EQ(stored[10], "Fhqzfqy_10");
  EXPECT_EQ(stored[11], "Fhqzfqy_11");
  for (const std::string& name : stored) EXPECT_EQ(DbfNameFault(name, CodePage::Gbk()), "") << name;
  EXPECT_NO_THROW(MakeDbfHeader([&] {
    FieldDefs defs;
    for (const std::string& name : stored) defs.push_back({name, FieldType::Date});
    return defs;
  }(), "many.dbf"));
}

class DBaseMemoTest : public TempFolderTest {};

TEST_F(DBaseMemoTest, DBase4MemoHeadMatchesTheVectorAndReadsBack) {
  const auto path = dir_ / "m.dbt";
  DBaseMemoBuilder builder(path, MemoStyle::DBase4);
  EXPECT_EQ(builder.Add("First memo\r\n"), 1u);
  EXPECT_EQ(builder.Add(std::string(600, 'x')), 2u);
  EXPECT_EQ(builder.Add("z"), 4u);
  const std::string bytes = builder.Finish();
  ASSERT_EQ(bytes.size(), 5u * 512);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x05\0\0\0", 4));
  EXPECT_EQ(bytes.substr(8, 1), "M");
  EXPECT_EQ(bytes.substr(20, 2), std::string("\x00\x02", 2));
  EXPECT_EQ(bytes.substr(512, 20), std::string("\xFF\xFF\x08\x00\x14\x00\x00\x00", 8) + "First memo\r\n");
  EXPECT_EQ(bytes[532], '\x1F');
  WriteFileAtomically(path, bytes);

  DBaseMemoFile memo(path, MemoStyle::DBase4, RandomAccessFile::Mode::ReadWrite);
  EXPECT_EQ(memo.Read(2), std::string(600, 'x'));
  EXPECT_EQ(memo.Append("later"), 5u);
  EXPECT_EQ(memo.Read(5), "later");
  EXPECT_EQ(memo.Read(1), "First memo\r\n");
  ExpectEngineError([&] { memo.Read(3); }, EngineError::Kind::FileFormat, {"m.dbt", "第3块"});
  ExpectEngineError([&] { memo.Read(99); }, EngineError::Kind::FileFormat, {"m.dbt", "第99块"});
}

TEST_F(DBaseMemoTest, DBase3MemosEndWithTwoEofMarks) {
  const auto path = dir_ / "m3.dbt";
  WriteFileAtomically(path, std::string(512, '\0'));
  DBaseMemoFile memo(path, MemoStyle::DBase3, RandomAccessFile::Mode::ReadWrite);
  const std::string long_text(700, 'q');
  EXPECT_EQ(memo.Append("memo text."), 1u);
  EXPECT_EQ(memo.Append(long_text), 2u);
  EXPECT_EQ(memo.Append("x"), 4u);
  const std::string bytes = ReadWholeFile(path);
  EXPECT_EQ(bytes.substr(512, 12), "memo text.\x1A\x1A");
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x05\0\0\0", 4));
  EXPECT_EQ(memo.Read(1), "memo text.");
  EXPECT_EQ(memo.Read(2), long_text);
}

}  // namespace
}  // namespace veltra::formats
