#include "exchange/report_transfer.h"

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <optional>

#include "dbtool/save_data_set_as_table.h"
#include "mainunit/on_exit.h"
#include "platform/formats/file_io.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"
#include "platform/ui/error_text.h"

namespace veltra::exchange {

namespace {

namespace fs = std::filesystem;

// The index and validity files of each table, in the order given.
std::vector<std::string> Companions(std::initializer_list<const char*> stems,
                                    std::initializer_list<const char*> extensions = {".px", ".val", ".xg0", ".yg0"}) {
  std::vector<std::string> files;
  for (const char* stem : stems) {
    for (const char* extension : extensions) files.push_back(std::string(stem) + extension);
  }
  return files;
}

ReportItem EnterpriseItem(const char* caption) {
  return {caption,
          {"kfq_1.db", "kfq_2.db", "kfq_5.db"},
          {"保存高新区企业（区外企业）企业情况库  文件名：kfq_1.dbf", "保存高新区企业（区外企业）产品情况库  文件名：kfq_2.dbf",
           "保存高新区企业（区外企业）项目情况库  文件名：kfq_5.dbf"},
          [] {
            std::vector<std::string> files =
                Companions({"kfq_1"}, {".px", ".val", ".xg0", ".yg0", ".xg1", ".yg1", ".xg2", ".yg2"});
            for (const std::string& file : Companions({"kfq_2", "kfq_5"})) files.push_back(file);
            return files;
          }()};
}

std::string StemOf(const std::string& file) { return text::ToAsciiLower(fs::path(file).stem().string()); }

bool IsTable(const std::string& file) { return text::EqualsIgnoreAsciiCase(fs::path(file).extension().string(), ".db"); }

// The dialog's default extension, for a name typed without one.
std::string WithDefaultExtension(std::string file_name) {
  if (!fs::path(file_name).has_extension()) file_name += ".db";
  return file_name;
}

// Replaces `target` as a whole; the folder must exist, as the system
// creates none.
void CopyWhole(const formats::RandomAccessFile& source, const fs::path& target) {
  std::error_code error;
  if (!fs::is_directory(target.parent_path(), error)) {
    throw EngineError(EngineError::Kind::Io, EngineError::Words{"目录" + target.parent_path().string() + "不存在，无法写入" +
                                                 target.filename().string()});
  }
  try {
    formats::CopyFileAtomically(source, target);
  } catch (const EngineError& failure) {
    throw EngineError(EngineError::Kind::Io, EngineError::Words{"无法写入文件" + target.string() + "：" + ui::UserText(failure)}, failure.subject());
  }
}

// A Paradox table written here has no indexes or validity checks: files
// of those kinds left beside its name by an earlier table would claim it does.
void RemoveIndexCompanions(const fs::path& table) {
  if (!text::EqualsIgnoreAsciiCase(table.extension().string(), ".db")) return;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(table.parent_path(), error)) {
    const fs::path& path = entry.path();
    if (!text::EqualsIgnoreAsciiCase(path.stem().string(), table.stem().string())) continue;
    const std::string extension = text::ToAsciiLower(path.extension().string());
    const bool numbered = extension.size() > 3 && (extension.starts_with(".xg") || extension.starts_with(".yg")) &&
                          std::all_of(extension.begin() + 3, extension.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (extension == ".val" || numbered) fs::remove(path, error);
  }
}

}  // namespace

const std::array<ReportItem, kReportItemCount>& ReportItems() {
  static const std::array<ReportItem, kReportItemCount> items = {
      EnterpriseItem("国家高新技术产业开发区企业统计报表"),
      ReportItem{"国家高新技术产业开发区综合情况报表", {"kfqzh.db"}, {"保存高新区综合情况库  文件名：kfqzh.dbf"}, {}},
      EnterpriseItem("区外高新技术企业统计报表"),
      ReportItem{"国家级科技计划项目执行情况调查表",
                 {"gjxm.db"},
                 {"保存国家项目库  文件名：gjxm.dbf"},
                 Companions({"gjxm"}, {".px", ".val", ".xg0", ".yg0", ".xg1", ".yg1"})},
      ReportItem{"国家级项目未统计原因", {"gj_wsb.db"}, {"保存国家级项目未上报清单  文件名：gj_wsb.dbf"}, {}},
      ReportItem{"高新区创业投资机构情况表", {"tzjg.db"}, {"保存创业投资机构数据  文件名：tzjg.dbf"}, Companions({"tzjg"})},
      ReportItem{"Veltra计划软件产业基地情况表",
                 {"rjjd.db", "rjjdqy.db", "rjjdqycp.db"},
                 {"保存软件产业基地情况库  文件名：rjjd.dbf", "保存软件产业基地企业库  文件名：rjjdqy.dbf",
                  "保存软件产业基地企业产品库  文件名：rjjdqycp.dbf"},
                 Companions({"rjjd", "rjjdqy", "rjjdqycp"})},
      ReportItem{"国家大学科技园情况表",
                 {"dx.db", "dxzfqy.db", "dxxm.db", "dxzfqyxm.db"},
                 {"保存大学科技园情况库  文件名：dx.dbf", "保存大学科技园在孵企业库  文件名：dxzfqy.dbf",
                  "大学科技园项目库（大学园填）  文件名：dxxm.dbf", "保存大学科技园项目库（企业填）  文件名：dxzfqyxm.dbf"},
                 Companions({"dx", "dxxm", "dxzfqy", "dxzfqyxm"})},
      ReportItem{"科技企业孵化器情况表",
                 {"fhq.db", "fhqzfqy.db"},
                 {"保存科技企业孵化器库  文件名：fhq.dbf", "保存科技企业孵化器在孵企业库  文件名：fhqzfqy.dbf"},
                 Companions({"fhq", "fhqzfqy"})},
      ReportItem{"Veltra计划特色产业基地情况表", {"tsjd.db"}, {"特色产业基地  文件名：tsjd.dbf"}, Companions({"tsjd"})},
      ReportItem{"省级高新区情况调查表", {"sjgxq.db"}, {"省级高新区情况调查表  文件名：sjgxq.dbf"}, Companions({"sjgxq"})},
  };
  return items;
}

std::string CompletionMessage(const std::string& done, const std::vector<std::string>& skipped) {
  if (skipped.empty()) return done;
  std::string text = done + "\n以下文件不存在或无法读取，未处理：";
  for (const std::string& file : skipped) text += "\n" + file;
  return text;
}

ReportTransfer::ReportTransfer(mainunit::MainUnit& main, mainunit::Prompts& prompts, db::Table& table)
    : main_(main), prompts_(prompts), table_(table) {}

void ReportTransfer::Begin() {
  transferred_.clear();
  skipped_.clear();
}

void ReportTransfer::NoteSkipped(const std::string& file) {
  if (std::find(skipped_.begin(), skipped_.end(), file) == skipped_.end()) skipped_.push_back(file);
}

void ReportTransfer::TransferReportTables(TransferMode mode, const std::vector<bool>& ticked) {
  Begin();
  const bool copies = mode == TransferMode::Backup || mode == TransferMode::Restore;
  for (std::size_t i = 0; i < ReportItems().size() && i < ticked.size(); ++i) {
    if (!ticked[i]) continue;
    const ReportItem& item = ReportItems()[i];
    for (std::size_t t = 0; t < item.tables.size(); ++t) {
      TransferTableFile(item.tables[t], item.export_titles[t], mode);
      // The memo file belongs to its table's generation.
      if (copies) TransferTableFile(fs::path(item.tables[t]).stem().string() + ".mb", "", mode);
    }
    if (!copies) continue;
    for (const std::string& companion : item.companions) TransferTableFile(companion, "", mode);
  }
}

void ReportTransfer::TransferTableFile(const std::string& file, const std::string& text, TransferMode mode) {
  switch (mode) {
    case TransferMode::Backup:
    case TransferMode::Restore:
      CopyFile(file, mode);
      return;
    case TransferMode::Export: {
      ui::SaveDialog& dialog = main_.SaveDialog1;
      dialog.title = text;
      if (!prompts_.Execute(dialog)) return;
      dialog.file_name = WithDefaultExtension(dialog.file_name);
      ExportTable(file, dialog.file_name);
      return;
    }
    case TransferMode::Submission:
      ExportTable(file, text);
      return;
  }
}

void ReportTransfer::CopyFile(const std::string& file, TransferMode mode) {
  const fs::path working = main_.Database1.ResolveTableName(main_.SendBaseDir + main_.DataDirPrefix + file);
  const fs::path backup = main_.Database1.ResolveTableName(main_.SendBaseDir + "bak\\" + file);
  const fs::path& source = mode == TransferMode::Backup ? working : backup;
  const fs::path& target = mode == TransferMode::Backup ? backup : working;
  const bool table = IsTable(file);
  // A companion goes with its table: one left from another generation
  // would no longer match it.
  if (!table && !transferred_.contains(StemOf(file))) return;
  std::error_code error;
  const bool present = fs::exists(source, error);
  std::optional<formats::RandomAccessFile> from;
  if (present) {
    try {
      from.emplace(source, formats::RandomAccessFile::Mode::ReadOnly);
    } catch (const EngineError&) {
      // named below, like a missing table
    }
  }
  if (!from) {
    if (table || present) NoteSkipped(file);
    if (!table && fs::exists(target, error) && !fs::remove(target, error)) {
      formats::ThrowIo(target, "remove", error.value());
    }
    return;
  }
  CopyWhole(*from, target);
  if (table) transferred_.insert(StemOf(file));
}

void ReportTransfer::ExportTable(const std::string& file, const std::string& target) {
  const fs::path source = main_.Database1.ResolveTableName(main_.SendBaseDir + main_.DataDirPrefix + file);
  std::error_code error;
  if (!fs::exists(source, error)) {
    NoteSkipped(file);
    return;
  }
  table_.Close();
  table_.SetTableName(source.string());
  mainunit::OnExit close([this] { table_.Close(); });
  try {
    table_.Open();
    dbtool::SaveDataSetAsTable(main_.Database1, table_, nullptr, target);
    RemoveIndexCompanions(main_.Database1.ResolveTableName(target));
  } catch (const EngineError& failure) {
    throw EngineError(failure.kind(), EngineError::Words{"数据表" + file + "未能转存到" + target + "：" + ui::UserText(failure)}, failure.subject());
  }
}

}  // namespace veltra::exchange
