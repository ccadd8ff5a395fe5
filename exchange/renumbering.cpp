#include "exchange/renumbering.h"

#include <map>
#include <set>
#include <utility>

#include "exchange/recovered_copy.h"
#include "mainunit/on_exit.h"
#include "platform/db/batch_move.h"
#include "platform/formats/file_io.h"
#include "platform/text/ascii.h"
#include "platform/text/gbk.h"
#include "platform/types/error.h"

namespace veltra::exchange {

namespace {

constexpr const char* kTables[] = {"kfq_1.db", "kfq_2.db", "kfq_5.db"};
constexpr std::size_t kReportNumberBytes = 6;  // QA01 of kfq_1.db

// The folder of a chosen file, whichever separator the name uses.
std::filesystem::path FolderOf(std::string file_name) {
  for (char& c : file_name) {
    if (c == '\\') c = '/';
  }
  return std::filesystem::path(file_name).parent_path();
}

[[noreturn]] void Refuse(const std::string& text) { throw EngineError(EngineError::Kind::InvalidValue, EngineError::Words{text}); }

}  // namespace

std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder, const std::string& name) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (text::EqualsIgnoreAsciiCase(entry.path().filename().string(), name)) return entry.path();
  }
  return folder / name;
}

Renumbering::Renumbering(mainunit::MainUnit& main) : main_(main), list_(main.Database1), query_(main.Database1) {
  list_.SetTableName("bhcl.DB");
}

Renumbering::~Renumbering() = default;

void Renumbering::Activate() {
  line1_ = kListingLine1;
  line2_ = kListingLine2;
  const std::filesystem::path folder = FolderOf(main_.OpenDialog1.file_name);
  for (const char* table : kTables) {
    const std::filesystem::path source = FindFileIgnoringCase(folder, table);
    if (!std::filesystem::is_regular_file(source)) {
      throw EngineError(EngineError::Kind::NoSuchTable, EngineError::Words{"上报数据目录" + folder.string() + "中没有" + table});
    }
    RecoverBeforeCopy(source, formats::FolderOrigin::Foreign);
    const std::string copy = std::string("tmp\\") + table;
    // Written whole and under a new inode, so no cursor reads a stale copy.
    formats::WriteFileAtomically(main_.Database1.ResolveTableName(copy),
                                 formats::ReadWholeFile(source));
  }
  query_.Close();
  query_.SQL.Clear();
  query_.SQL.Add("select qa01 原报表编号,qa01 修改后编号,qa03 法人代码,qa04 企业名称 from tmp\\kfq_1");
  query_.Open();
  ReloadRenumberGrid();
}

void Renumbering::ReloadRenumberGrid() {
  list_source_.SetEnabled(false);
  mainunit::OnExit reattach([this] {
    query_.Close();
    list_source_.SetEnabled(true);
  });
  list_.Close();
  list_.EmptyTable();
  db::BatchMove move;
  move.Source = &query_;
  move.Destination = &list_;
  move.Execute();
  list_.Close();
  list_.Open();
}

bool Renumbering::CheckAndApply() {
  if (!list_.Active()) list_.Open();
  if (!list_.IsEmpty()) {
    list_.Edit();
    list_.Post();
  }
  ApplyRenumbering();
  line1_ = kClashLine1;
  line2_ = kClashLine2;
  return !FindNumberConflicts();
}

void Renumbering::ApplyRenumbering() {
  // Old number -> new number, from the rows the user changed.
  std::map<std::string, std::string> mapping;
  for (list_.First(); !list_.Eof(); list_.Next()) {
    const std::string old_no = list_.Fields(0).AsString();
    const std::string new_no = list_.Fields(1).AsString();
    if (new_no == old_no) continue;
    if (new_no.empty()) Refuse("修改后编号不能为空(原报表编号" + old_no + ")");
    if (text::GbkLength(new_no) > kReportNumberBytes) Refuse("修改后编号" + new_no + "超过6位");
    const auto [it, added] = mapping.emplace(old_no, new_no);
    if (!added && it->second != new_no) Refuse("原报表编号" + old_no + "有两个不同的修改后编号");
  }
  if (mapping.empty()) return;

  db::Table copy(main_.Database1);
  // The numbers of the submission after the change must stay distinct.
  copy.SetTableName("tmp\\kfq_1.db");
  copy.Open();
  std::set<std::string> numbers;
  for (copy.First(); !copy.Eof(); copy.Next()) {
    const std::string number = copy.FieldByName("qa01").AsString();
    const auto found = mapping.find(number);
    const std::string& final_no = found == mapping.end() ? number : found->second;
    if (!numbers.insert(text::ToAsciiUpper(final_no)).second) Refuse("修改后编号" + final_no + "重复");
  }
  copy.Close();

  list_source_.SetEnabled(false);
  mainunit::OnExit reattach([this] {
    list_source_.SetEnabled(true);
    progress_maximum_ = 0;
  });
  progress_position_ = 0;
  progress_maximum_ = static_cast<int>(std::size(kTables));
  for (const char* table : kTables) {
    copy.SetTableName(std::string("tmp\\") + table);
    copy.Open();
    // File order: changing qa01 moves no row, so each is seen once.
    for (copy.First(); !copy.Eof(); copy.Next()) {
      const auto found = mapping.find(copy.FieldByName("qa01").AsString());
      if (found == mapping.end()) continue;
      copy.Edit();
      copy.FieldByName("qa01").SetAsString(found->second);
      copy.Post();
    }
    copy.Close();
    ++progress_position_;
  }
}

bool Renumbering::FindNumberConflicts() {
  query_.Close();
  query_.SQL.Clear();
  query_.SQL.Add(
      "select b.qa01 原报表编号,b.qa01 修改后编号,b.qa03 法人代码,b.qa04 企业名称 from \"" + main_.DataDirPrefix +
      "kfq_1.db\" a,tmp\\kfq_1.db b where ((a.qa03=b.qa03) and (a.qa01!=b.qa01)) or ((a.qa03!=b.qa03) and "
      "(a.qa01=b.qa01))");
  query_.Open();
  query_.First();
  if (query_.IsEmpty()) {
    query_.Close();
    return false;
  }
  ReloadRenumberGrid();
  return true;
}

void Renumbering::Close() {
  list_.Close();
  query_.Close();
}

}  // namespace veltra::exchange
