// The definitions against the survey forms: counts, order, names, types
// and sizes written out by hand from the forms' field lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text/gbk.h"
#include "schema/schema.h"

namespace veltra::schema {
namespace {

struct Spot {
  int position;  // 0-based, in record order
  const char* name;
  FieldType type;
  int size;
};

struct Expected {
  const char* table;
  int listed;  // fields of the form's stored list
  int total;   // with the fields the windows bind beyond it
  std::vector<Spot> spots;
};

constexpr FieldType S = FieldType::String;
constexpr FieldType F = FieldType::Float;
constexpr FieldType I = FieldType::SmallInt;
constexpr FieldType D = FieldType::Date;
constexpr FieldType M = FieldType::Memo;

const std::vector<Expected>& SurveyForms() {
  static const std::vector<Expected> forms = {
      {"kfq_1.db", 210, 218,
       {{0, "Id", S, 9}, {1, "QA01", S, 6}, {3, "QA03", S, 10}, {4, "Qa16", S, 20}, {5, "QA04", S, 100},
        {15, "QA12", D, 0}, {19, "QB02", S, 40}, {33, "Qb14_1", S, 4}, {34, "QB16", S, 3},
        {39, "QC02", F, 0}, {102, "QD01", F, 0}, {126, "QD19", S, 1}, {129, "Qj09", F, 0},
        {180, "Qj94", F, 0}, {207, "Qj88", S, 1}, {208, "Qa_one", I, 0}, {209, "Pxh", S, 3},
        {210, "Qb14_2", S, 4}, {211, "Qj14", F, 0}, {212, "QJ15", F, 0}, {217, "Qi52", F, 0}}},
      {"kfq_2.db", 20, 20,
       {{0, "ID", S, 13}, {1, "QA01", S, 6}, {2, "QE01", S, 4}, {3, "QE02", S, 50}, {11, "QE11", S, 2},
        {14, "QE14", F, 0}, {18, "QE_ONE", F, 0}, {19, "PXH", S, 3}}},
      {"kfq_5.db", 18, 23,
       {{0, "Id", S, 14}, {1, "Qa01", S, 6}, {3, "Xmmc", S, 40}, {6, "Qh22", S, 3}, {10, "Qh34", S, 6},
        {16, "Qh_one", F, 0}, {17, "Pxh", S, 3}, {18, "Qh50", F, 0}, {22, "Qh08_3", F, 0}}},
      {"fhq.db", 101, 101,
       {{0, "ID", S, 7}, {1, "CODE", S, 4}, {2, "TDF711", S, 60}, {6, "TDF719", D, 0}, {9, "TDF715", S, 40},
        {12, "TDF7A10", F, 0}, {37, "TDF7E00", F, 0}, {85, "TDF7J14", S, 1}, {99, "FHQ_ONE", I, 0},
        {100, "Pxh", S, 3}}},
      {"fhqzfqy.db", 41, 45,
       {{0, "ID", S, 11}, {2, "CODE2", S, 4}, {4, "Tdf730", S, 60}, {7, "TDF7l107", S, 40},
        {8, "Tdf7l108", S, 11}, {10, "TDF7L101", D, 0}, {27, "TDF7H300", F, 0}, {39, "Fhqzfqy_one", I, 0},
        {40, "Pxh", S, 3}, {41, "TDF7F603", F, 0}, {44, "TDF7L115", S, 1}}},
      {"dx.db", 104, 104,
       {{0, "ID", S, 7}, {2, "TDF811", S, 60}, {10, "TDF820", S, 40}, {12, "TDF819", D, 0},
        {13, "TDF8A00", F, 0}, {50, "TDF8F00", F, 0}, {101, "TDF8M17", F, 0}, {102, "DX_ONE", F, 0},
        {103, "PXH", S, 3}}},
      {"dxzfqy.db", 50, 50,
       {{0, "ID", S, 10}, {2, "CODE2", S, 3}, {3, "Tdf8114", S, 60}, {7, "TDF8118", D, 0},
        {9, "TDF8120", S, 20}, {33, "TDF8J100", S, 3}, {47, "TDF8K650", F, 0}, {48, "DXzfqy_ONE", F, 0},
        {49, "PXH", S, 3}}},
      {"dxxm.db", 10, 10,
       {{0, "Id", S, 11}, {2, "Code2", S, 4}, {3, "Tdf8q110", S, 80}, {6, "Tdf8q140", S, 1},
        {7, "Tdf8q150", F, 0}, {8, "Dxxm_one", I, 0}, {9, "Pxh", S, 3}}},
      {"gjxm.db", 87, 91,
       {{0, "Id", S, 12}, {1, "JB00", S, 9}, {2, "JB01", S, 60}, {4, "JBMC", S, 60}, {8, "JBSJ", D, 0},
        {14, "JB21", S, 40}, {19, "JB27", S, 2}, {21, "JB41_1", S, 30}, {38, "JB48_2", S, 1},
        {44, "JC100", F, 0}, {56, "JD04", D, 0}, {61, "JF100_2", F, 0}, {83, "JG92_2", F, 0},
        {84, "IS_CHGE", S, 1}, {85, "GJ_ONE", I, 0}, {86, "PXH", S, 3}, {89, "JC151", F, 0},
        {90, "JF151_2", F, 0}}},
      {"gj_wsb.db", 4, 4, {{0, "JB00", S, 9}, {1, "JB01", S, 46}, {2, "JB02", S, 14}, {3, "YY", S, 1}}},
      {"rjjd.db", 107, 196,
       {{0, "Id", S, 7}, {1, "Code", S, 4}, {2, "KE100", S, 60}, {7, "KE105", S, 20}, {8, "Ke01", F, 0},
        {14, "Ke07", S, 1}, {15, "Ke08", S, 1}, {16, "Ke09", F, 0}, {104, "Ke97", F, 0},
        {105, "Rjjd_one", I, 0}, {106, "Pxh", S, 3}, {107, "A100", F, 0}, {195, "F400", F, 0}}},
      {"rjjdqy.db", 119, 191,
       {{0, "Id", S, 11}, {2, "Code2", S, 4}, {3, "Ke100", S, 40}, {9, "Ke111", S, 11}, {10, "Ke112", S, 3},
        {16, "Ke118", S, 40}, {19, "Ke121", S, 2}, {24, "Ke126", F, 0}, {75, "Ke177", F, 0},
        {76, "Ke178", S, 1}, {80, "Ke182", S, 40}, {84, "Ke186", F, 0}, {86, "Ke204", F, 0},
        {116, "Ke234", F, 0}, {117, "Rjjd2_one", I, 0}, {118, "Pxh", S, 3}}},
      {"rjjdqycp.db", 20, 20,
       {{0, "Id", S, 15}, {3, "Code3", S, 4}, {4, "Ke189", S, 40}, {11, "Ke196", S, 1}, {12, "Ke198", S, 4},
        {15, "Ke201", F, 0}, {18, "Rjjd3_one", I, 0}, {19, "Pxh", S, 3}}},
      {"kfqzh.db", 93, 100,
       {{0, "KA00", S, 4}, {1, "KA01", S, 40}, {9, "KA09", D, 0}, {10, "Ka10", S, 80}, {12, "Kb01", F, 0},
        {39, "KB16", S, 1}, {40, "KB23", S, 1}, {41, "KC00", F, 0}, {70, "KD44", F, 0}, {91, "KD35", F, 0},
        {92, "Pxh", S, 3}, {93, "KD45", F, 0}, {99, "KD53_1", F, 0}}},
      {"tsjd.db", 69, 72,
       {{0, "Id", S, 9}, {1, "CODE", S, 6}, {3, "TDF912", D, 0}, {9, "TDF920", S, 40}, {11, "TDF9A00", F, 0},
        {27, "Tdf9b06", F, 0}, {66, "Tdf9k06", F, 0}, {67, "Tsjd_one", I, 0}, {68, "Pxh", S, 3},
        {69, "TDF9C09", F, 0}, {71, "TDF9C11", F, 0}}},
      {"sjgxq.db", 30, 30,
       {{0, "Id", S, 7}, {1, "Code", S, 4}, {5, "Pzsj", D, 0}, {8, "Yb", S, 6}, {13, "S01", F, 0},
        {27, "S15", F, 0}, {28, "Bz", M, 1}, {29, "Sjgxq_one", I, 0}}},
      {"tzjg.db", 35, 39,
       {{0, "ID", S, 7}, {1, "CODE", S, 4}, {2, "KZ00", S, 60}, {9, "KZ03", D, 0}, {10, "KZ10", F, 0},
        {26, "KZ27", F, 0}, {34, "KZ37", F, 0}, {35, "KZ40", S, 1}, {36, "KZ41", F, 0},
        {37, "tzjg_one", I, 0}, {38, "Pxh", S, 3}}},
  };
  return forms;
}

TEST(SurveyTables, MatchTheFormsFieldLists) {
  for (const Expected& form : SurveyForms()) {
    SCOPED_TRACE(form.table);
    const TableDef* table = FindTable(form.table);
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->survey);
    EXPECT_EQ(static_cast<int>(table->fields.size()), form.total);
    for (const Spot& spot : form.spots) {
      ASSERT_LT(spot.position, static_cast<int>(table->fields.size()));
      const FieldDef& field = table->fields[static_cast<std::size_t>(spot.position)];
      EXPECT_EQ(field.name, spot.name) << "at position " << spot.position;
      EXPECT_EQ(field.type, spot.type) << spot.name;
      EXPECT_EQ(field.size, spot.size) << spot.name;
    }
    // The form's own list comes first: its last field sits where the list ends.
    EXPECT_EQ(table->fields.size() - static_cast<std::size_t>(form.total - form.listed),
              static_cast<std::size_t>(form.listed));
  }
}

TEST(SurveyTables, AreExactlyTheSeventeenOfTheWorkingFolder) {
  std::vector<std::string> names;
  for (const TableDef* table : SurveyTables()) names.push_back(table->file_name);
  EXPECT_EQ(names.size(), 17u);
  for (const Expected& form : SurveyForms()) {
    EXPECT_NE(std::find(names.begin(), names.end(), form.table), names.end()) << form.table;
  }
}

TEST(SurveyTables, EnterpriseIndexesAndLinks) {
  const TableDef* master = FindTable("kfq_1.db");
  ASSERT_NE(master, nullptr);
  ASSERT_NE(master->primary_index(), nullptr);
  EXPECT_EQ(master->primary_index()->fields, "Id");
  EXPECT_TRUE(master->primary_index()->unique);
  for (const char* name : {"kfq_1", "kfq_12", "kfq_13"}) {
    const IndexDef* index = master->FindIndex(name);
    ASSERT_NE(index, nullptr) << name;
    EXPECT_TRUE(index->unique && index->case_insensitive) << name;
  }
  EXPECT_EQ(master->FindIndex("KFQ_12")->fields, "QA03");

  const TableDef* products = FindTable("kfq_2.db");
  const IndexDef* by_product = products->FindIndex("kfq_2");
  ASSERT_NE(by_product, nullptr);
  EXPECT_EQ(by_product->fields, "QA01;QE01");
  EXPECT_FALSE(by_product->unique);
  ASSERT_TRUE(products->master.has_value());
  EXPECT_EQ(products->master->master_table, "kfq_1.db");
  EXPECT_EQ(products->master->detail_index, "kfq_2");

  std::vector<std::string> details;
  for (const TableDef* table : DetailsOf("KFQ_1.db")) details.push_back(table->file_name);
  EXPECT_EQ(details, (std::vector<std::string>{"kfq_2.db", "kfq_5.db"}));
}

TEST(SurveyTables, OtherKeysAndLinks) {
  const TableDef* projects = FindTable("gjxm.db");
  EXPECT_TRUE(projects->FindIndex("gjxm2")->unique);
  EXPECT_EQ(projects->FindIndex("gjxm")->fields, "JB00");

  const TableDef* products = FindTable("rjjdqycp.db");
  ASSERT_TRUE(products->master.has_value());
  EXPECT_EQ(products->master->master_table, "rjjdqy.db");
  EXPECT_EQ(products->master->fields, (std::vector<std::string>{"Code", "Code2"}));
  EXPECT_FALSE(products->FindIndex("rjjdqycp")->unique);
  EXPECT_EQ(products->FindIndex("rjjdqycp")->fields, "Code;Code2;Code3");

  EXPECT_EQ(DetailsOf("dx.db").size(), 2u);
  EXPECT_EQ(FindTable("dxzfqy.db")->master->detail_index, "dx3");
  // The zone comprehensive table and the unreported list have no key at all.
  EXPECT_TRUE(FindTable("kfqzh.db")->indexes.empty());
  EXPECT_TRUE(FindTable("gj_wsb.db")->indexes.empty());
  EXPECT_EQ(FindTable("tzjg.db")->primary_index()->fields, "ID");
}

TEST(SurveyTables, WindowsCaptionsPagesAndSections) {
  const TableDef* enterprise = FindTable("kfq_1.db");
  const Placement* year = enterprise->PlacementOf("qj86_1");
  ASSERT_NE(year, nullptr);
  EXPECT_EQ(year->caption, "其中：当年获得集成电路布图");
  EXPECT_EQ(year->page, "TabSheet7");
  EXPECT_EQ(enterprise->FindPage("TabSheet7")->caption, "企业科技活动及相关情况");
  EXPECT_EQ(enterprise->PlacementOf("Qj86")->caption, "4.集成电路布图");
  EXPECT_EQ(enterprise->PlacementOf("Qj94"), nullptr);  // no edit on the window
  EXPECT_EQ(enterprise->PlacementOf("Qb14_2")->below, "Qb14_1");
  EXPECT_EQ(enterprise->PlacementOf("Qb14_2")->page, "TabSheet2");
  EXPECT_EQ(enterprise->PlacementsOn("TabSheet1").size(), 17u);  // QA01 .. QA14 of the cover

  const TableDef* zone = FindTable("kfqzh.db");
  EXPECT_EQ(zone->PlacementOf("KC21")->section, "三、吸引外资");
  EXPECT_EQ(zone->PlacementOf("KD53_1")->section, "(二)研发机构");
  EXPECT_EQ(zone->PlacementOf("KD44"), nullptr);

  const TableDef* products = FindTable("kfq_2.db");
  EXPECT_EQ(products->PlacementOf("QE02")->section, "DBGrid1");
  EXPECT_EQ(products->PlacementOf("QE02")->width, 208);
  EXPECT_EQ(products->PlacementOf("QE17")->section, "DBGrid2");

  // JB21 shows on the cover and again among the first undertaking unit's fields.
  const TableDef* projects = FindTable("gjxm.db");
  std::vector<std::string> captions;
  for (const Placement& placement : projects->placements) {
    if (placement.field == "JB21") captions.push_back(placement.page + " " + placement.caption);
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"TabSheet1 承担单位详细名称", "TabSheet2 名称"}));
  EXPECT_EQ(projects->PlacementOf("JBTBR")->caption, "填 表 人");
  EXPECT_EQ(FindTable("tzjg.db")->PlacementOf("KZ41")->section, "四、创业投资引导基金业务情况");
  EXPECT_EQ(FindTable("rjjdqy.db")->MeaningOf("KE128"), "总销售收入");
  EXPECT_EQ(enterprise->CodesOf("QB05"), "1 有, 2 无");
  EXPECT_EQ(projects->CodesOf("JD03"), "1 已验收, 2 未验收");
  EXPECT_EQ(enterprise->CodesOf("QB03"), "");
}

TEST(SchemaLookup, ResolvesNamesLikeTheWorkingFolder) {
  EXPECT_EQ(FindTable("KFQ_1.DB"), FindTable("kfq_1.db"));
  EXPECT_EQ(FindTable("kfq_1"), FindTable("kfq_1.db"));
  EXPECT_EQ(FindTable("check_db.db")->file_name, "check_db.DB");
  EXPECT_EQ(FindTable("kfq1_chk")->file_name, "*_chk.db");
  EXPECT_EQ(FindTable("gjxm_chk.db")->file_name, "*_chk.db");
  EXPECT_EQ(FindTable("kfq_r.db")->file_name, "*_r.db");
  EXPECT_EQ(FindTable("tmp_r.db")->file_name, "tmp_r.DB");  // its own layout wins over *_r.db
  EXPECT_EQ(FindTable("gjxmqd.DBF")->file_name, "gjxmqd.dbf");
  EXPECT_EQ(FindTable("_chk.db"), nullptr);  // the bare ending is no table
  EXPECT_EQ(FindTable("nosuch.db"), nullptr);
  EXPECT_EQ(FindTable("kfq_1.dbf"), nullptr);
}

TEST(SystemTables, ColumnsTheWindowsRead) {
  const TableDef* result = FindTable("fhq_r.db");
  std::vector<std::string> names;
  for (const FieldDef& field : result->fields) names.push_back(field.name);
  EXPECT_EQ(names, (std::vector<std::string>{"编号", "字段值", "字段名", "错误信息", "状态", "序号"}));
  EXPECT_EQ(result->fields[3].size, 80);

  const TableDef* mail = FindTable("mailinit.db");
  EXPECT_EQ(mail->fields.size(), 8u);
  EXPECT_EQ(mail->fields[2].name, "Smtp_p");
  EXPECT_EQ(mail->fields[2].size, 10);
  const TableDef* log = FindTable("mailbox.db");
  EXPECT_EQ(log->fields[3].type, FieldType::Memo);
  EXPECT_EQ(log->fields[3].size, 10);
  EXPECT_EQ(FindTable("dfxm2.db")->fields.size(), 37u);
  EXPECT_EQ(FindTable("df_wsb.db")->fields.size(), 18u);
  EXPECT_EQ(FindTable("xmdcb.db")->fields.size(), 27u);
  EXPECT_EQ(FindTable("bt_p.db")->fields[0].size, 255);
}

// Limits of the file formats that a definition must respect, or the
// installation could not create the table.
TEST(AllTables, FitTheirFileFormat) {
  for (const TableDef& table : AllTables()) {
    SCOPED_TRACE(table.file_name);
    const bool dbase = table.file_name.ends_with(".dbf");
    EXPECT_LE(table.fields.size(), dbase ? 128u : 255u);
    int record_size = 0;
    for (const FieldDef& field : table.fields) {
      EXPECT_TRUE(text::IsGbkEncodable(field.name)) << field.name;
      EXPECT_LE(text::GbkLength(field.name), dbase ? 10u : 25u) << field.name;
      switch (field.type) {
        case FieldType::String: EXPECT_TRUE(field.size >= 1 && field.size <= 255) << field.name; break;
        case FieldType::Memo: EXPECT_TRUE(field.size >= 1 && field.size <= 240) << field.name; break;
        default: break;
      }
      record_size += field.type == FieldType::String ? field.size
                     : field.type == FieldType::Memo ? field.size + 10
                     : field.type == FieldType::SmallInt ? 2
                     : field.type == FieldType::Float ? 8 : 4;
    }
    EXPECT_LE(record_size, 4096 - 6);  // one record must fit a 4 KiB block
    for (const std::string& meaning : table.meanings) EXPECT_TRUE(text::IsGbkEncodable(meaning)) << meaning;
  }
}

// A code longer than its field would be cut on save without a word
// ("AB" kept as "A"). Ranges ("101-110") are checked at both ends.
TEST(AllTables, CodedFieldsHoldEveryCode) {
  int coded = 0;
  for (const TableDef& table : AllTables()) {
    for (std::size_t f = 0; f < table.fields.size(); ++f) {
      std::string_view list = table.code_lists[f];
      if (list.empty()) continue;
      ++coded;
      const FieldDef& field = table.fields[f];
      ASSERT_EQ(field.type, FieldType::String) << table.file_name << " " << field.name;
      while (!list.empty()) {
        const std::string_view item = list.substr(0, list.find(','));
        list.remove_prefix(std::min(list.size(), item.size() + 1));
        const std::string_view code = item.substr(item.find_first_not_of(' '));
        const std::string_view range = code.substr(0, code.find(' '));
        for (const std::string_view end : {range.substr(0, range.find('-')), range.substr(range.find('-') + 1)}) {
          EXPECT_LE(text::GbkLength(end), static_cast<std::size_t>(field.size))
              << table.file_name << " " << field.name << " code " << end;
        }
      }
    }
  }
  EXPECT_GE(coded, 20);
}

}  // namespace
}  // namespace veltra::schema
