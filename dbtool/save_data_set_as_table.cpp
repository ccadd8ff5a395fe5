#include "dbtool/save_data_set_as_table.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <unordered_set>

#include "platform/db/batch_move.h"
#include "platform/db/table.h"
#include "platform/formats/dbase_names.h"
#include "platform/formats/dbase_number_widths.h"
#include "platform/text/ascii.h"
#include "platform/text/gbk.h"

namespace veltra::dbtool {
namespace {

namespace fs = std::filesystem;

// The widest string field each format can store; text tables have no limit.
int MaxStringSize(formats::TableKind kind) {
  switch (kind) {
    case formats::TableKind::Paradox: return 255;
    case formats::TableKind::DBase: return 254;
    case formats::TableKind::Text: break;
  }
  return INT_MAX;
}

// dBase keeps only a block number in a memo's cell; saved as Paradox, such
// a memo keeps its first 10 bytes in the record, as the mail tables' do.
constexpr int kParadoxMemoLeader = 10;

db::TableType TypeForName(std::string_view name) {
  return text::EqualsIgnoreAsciiCase(fs::path(name).extension().string(), ".dbf") ? db::TableType::DBase
                                                                                    : db::TableType::Default;
}

// Replacing the file a table cursor reads would put a copy in place of the
// table itself. Any name of the same file counts: another spelling, a
// link, another path to the folder.
void RefuseOwnSourceFile(const db::DataSet& data_set, const fs::path& target) {
  const auto* table = dynamic_cast<const db::Table*>(&data_set);
  if (!table) return;
  const fs::path source = table->GetDatabase().ResolveTableName(table->TableName(), table->GetTableType());
  std::error_code not_both_there;
  if (fs::equivalent(source, target, not_both_there)) {
    throw EngineError(EngineError::Kind::TableBusy, EngineError::Words{"不能把数据表" + source.filename().string() + "保存到它自己的文件" +
                                                        target.string() + "上"});
  }
}

// dBase keeps ten bytes of a name: the wide tables' long names and the
// query window's column titles are cut rather than refused, so that every
// table can be saved (new tables are written in GBK).
void StoreNamesDBaseCannotHold(FieldDefs& fields) {
  std::vector<std::string> names;
  for (const FieldDef& def : fields) names.push_back(def.name);
  names = formats::StorableDbfFieldNames(names, formats::CodePage::Gbk());
  for (std::size_t i = 0; i < fields.size(); ++i) fields[i].name = std::move(names[i]);
}

// A Paradox field name holds 25 bytes: a longer column title (a whole
// caption, a total's with "合计" after it) is cut, and a cut that meets
// another name ends in its column number.
void ShortenNamesParadoxCannotHold(FieldDefs& fields) {
  constexpr std::size_t kMaxNameBytes = 25;
  std::unordered_set<std::string, text::AsciiCaseInsensitiveHash, text::AsciiCaseInsensitiveEqual> taken;
  for (const FieldDef& def : fields) taken.insert(def.name);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::string& name = fields[i].name;
    if (text::GbkLength(name) <= kMaxNameBytes) continue;
    std::string cut(text::TruncateToGbkBytes(name, kMaxNameBytes));
    if (taken.contains(cut)) {
      const std::string suffix = "_" + std::to_string(i + 1);
      cut = std::string(text::TruncateToGbkBytes(name, kMaxNameBytes - suffix.size())) + suffix;
    }
    name = cut;
    taken.insert(name);
  }
}

// The printout heads each column with its whole title (表头文字 holds 255
// bytes; only the saved table's field names are cut) and makes it as wide
// as its field, memos too, at most 40 characters; a field without a size 10.
void WritePrintoutColumns(db::Database& database, const db::DataSet& data_set, const GridColumns* grid) {
  database.EmptyTable(kPrintoutColumnsTable);
  db::Table columns(database);
  columns.SetTableName(std::string(kPrintoutColumnsTable));
  columns.Open();
  const FieldDefs& fields = data_set.FieldLayout();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    int size = fields[i].size;
    if (grid && size != 0) size = grid->columns[i].width_chars;
    columns.Append();
    columns.Fields(0).SetAsString(grid ? grid->columns[i].title : fields[i].name);
    columns.Fields(1).SetAsInteger(size == 0 ? 10 : std::min(size, 40));
    columns.Post();
  }
  columns.Close();
}

}  // namespace

FieldDefs SavedFieldDefs(const db::DataSet& data_set, const GridColumns* grid, formats::TableKind kind) {
  const FieldDefs& source = data_set.FieldLayout();
  if (grid && grid->columns.size() != source.size()) {
    throw EngineError(EngineError::Kind::State,
                      EngineError::Words{"表格显示" + std::to_string(grid->columns.size()) + "列，而" + data_set.DisplayName() + "有" +
                          std::to_string(source.size()) + "个字段，不能存盘"});
  }
  FieldDefs saved = source;
  for (std::size_t i = 0; i < saved.size(); ++i) {
    FieldDef& def = saved[i];
    if (grid) def.name = grid->columns[i].title;
    if (kind == formats::TableKind::Paradox && def.type == FieldType::Memo && def.size < 1) {
      def.size = kParadoxMemoLeader;
    }
    if (def.type != FieldType::String) continue;
    if (grid) def.size = grid->columns[i].width_chars;
    def.size = std::clamp(def.size, 1, MaxStringSize(kind));
  }
  if (kind == formats::TableKind::DBase) StoreNamesDBaseCannotHold(saved);
  if (kind == formats::TableKind::Paradox) ShortenNamesParadoxCannotHold(saved);
  return saved;
}

TableToSave PrepareTableToSave(db::Database& database, db::DataSet& data_set, const GridColumns* grid,
                               std::string_view name) {
  if (!data_set.Active()) {
    throw EngineError(EngineError::Kind::State,
                      EngineError::Words{"没有打开的表或查询结果，不能存为" + std::string(name)});
  }
  TableToSave table{TypeForName(name), {}, {}, {}};
  table.target = database.ResolveTableName(name, table.type);
  RefuseOwnSourceFile(data_set, table.target);
  const formats::TableKind kind = formats::KindForPath(table.target);
  table.fields = SavedFieldDefs(data_set, grid, kind);
  table.rows = db::ConvertRows(data_set, table.fields, table.target.filename().string());
  if (kind == formats::TableKind::DBase) table.fields = formats::FitDbfNumberWidths(table.fields, table.rows, table.target);
  return table;
}

void SaveDataSetAsTable(db::Database& database, db::DataSet& data_set, const GridColumns* grid,
                        std::string_view name) {
  TableToSave table = PrepareTableToSave(database, data_set, grid, name);
  database.CreateTable(name, table.type, table.fields, table.rows);

  if (name == kPrintoutTable) WritePrintoutColumns(database, data_set, grid);
}

}  // namespace veltra::dbtool
