#include "exchange/project_list.h"

#include "mainunit/dataset_helpers.h"
#include "mainunit/on_exit.h"
#include "platform/types/error.h"
#include "platform/ui/error_text.h"
#include "schema/schema.h"

namespace veltra::exchange {

const std::array<const char*, 45> kRegionItems = {
    "110 北京 ", "120 天津 ", "130 河北 ", "140 山西 ", "150 内蒙古 ", "210 辽宁 ", "211 沈阳 ",     "212 大连 ",
    "220 吉林 ", "221 长春 ", "230 黑龙江 ", "231 哈尔滨 ", "310 上海 ", "320 江苏 ", "321 南京 ",   "330 浙江 ",
    "331 宁波 ", "340 安徽 ", "350 福建 ", "351 厦门 ", "360 江西 ", "370 山东 ", "371 青岛 ",       "410 河南 ",
    "420 湖北 ", "421 武汉 ", "430 湖南 ", "440 广东 ", "441 广州 ", "442 深圳 ", "450 广西 ",       "460 海南 ",
    "500 重庆 ", "510 四川 ", "512 成都 ", "520 贵州 ", "530 云南 ", "540 西藏 ", "610 陕西 ",       "611 西安 ",
    "620 甘肃 ", "630 青海 ", "640 宁夏 ", "650 新疆 ", "651 新疆兵团 "};

namespace {

constexpr const char* kIssuedList = "gjxmqd.dbf";
constexpr const char* kProjectTable = "gjxm.db";

// The issued list, open and holding the columns the merge reads.
void OpenIssuedList(db::Table& list) {
  list.Close();
  list.SetTableName(kIssuedList);
  if (!list.Exists()) {
    throw EngineError(EngineError::Kind::NoSuchTable,
                      EngineError::Words{"找不到国家级项目清单" + list.GetDatabase().ResolveTableName(kIssuedList).string()});
  }
  try {
    list.Open();
  } catch (const EngineError& failure) {
    throw EngineError(failure.kind(), EngineError::Words{std::string("无法读取国家级项目清单") + kIssuedList + "：" + ui::UserText(failure)}, failure.subject());
  }
  for (const char* column : {"pxh", "jb00"}) {
    if (list.FindField(column) == nullptr) {
      throw EngineError(EngineError::Kind::NoSuchField,
                        EngineError::Words{std::string("国家级项目清单") + kIssuedList + "中没有字段" + column});
    }
  }
}

}  // namespace

void BuildProjectList(mainunit::MainUnit& main, mainunit::Prompts& prompts, db::Table& table,
                      const std::string& region_item) {
  const std::string region = region_item.substr(0, 3);
  db::Table& list = main.Table1;
  mainunit::OnExit close_list([&list] { list.Close(); });
  // Before the question: a list that cannot be read must not cost the
  // user the projects already in gjxm.db.
  OpenIssuedList(list);

  table.Close();
  table.SetTableName(main.DataDirPrefix + kProjectTable);
  table.GetIndexDefs() = schema::FindTable(kProjectTable)->indexes;
  if (!table.Exists()) {
    throw EngineError(EngineError::Kind::NoSuchTable, EngineError::Words{"找不到国家级项目数据库" +
                                                          main.Database1.ResolveTableName(table.TableName()).string()});
  }
  if (prompts.Confirm("是否清空国家级项目数据库", "")) table.EmptyTable();
  mainunit::OnExit close_table([&table] {
    table.Close();
    table.SetIndexName("");
  });
  table.Open();
  table.SetIndexName("gjxm");

  const mainunit::FieldsByName copied(list, table);
  for (list.First(); !list.Eof(); list.Next()) {
    const db::Field& pxh = list.FieldByName("pxh");
    if (pxh.AsString() != region) continue;
    table.SetKey();
    table.FieldByName("jb00").SetValue(list.FieldByName("jb00").Value());
    if (table.GotoKey()) {
      table.Edit();
    } else {
      table.Append();
    }
    copied.Copy();
    table.FieldByName("gj_one").SetAsInteger(1);
    table.FieldByName("pxh").SetValue(pxh.Value());
    table.FieldByName("id").SetAsString(table.FieldByName("pxh").AsString() + table.FieldByName("jb00").AsString());
    table.Post();
  }
}

}  // namespace veltra::exchange
