#include "exchange/report_transfer.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <initializer_list>
#include <set>

#include "dbtool/save_data_set_as_table.h"
#include "exchange/recovered_copy.h"
#include "mainunit/on_exit.h"
#include "platform/formats/file_io.h"
#include "platform/formats/paradox_table.h"
#include "platform/formats/table_recovery.h"
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

// The system creates no folders.
void RefuseMissingFolder(const fs::path& target) {
  std::error_code error;
  if (!fs::is_directory(target.parent_path(), error)) {
    throw EngineError(EngineError::Kind::Io, EngineError::Words{"目录" + target.parent_path().string() + "不存在，无法写入" +
                                                 target.filename().string()});
  }
}

// A name typed for an export or made for a submission must name a file.
void RefuseUnusableTargetName(const std::string& file, const std::string& name) {
  const auto separator = name.find_last_of("/\\");
  const std::string last = separator == std::string::npos ? name : name.substr(separator + 1);
  std::string reason;
  if (name.empty()) {
    reason = "没有给出文件名";
  } else if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
    reason = "文件名含有控制字符";
  } else if (last.empty()) {
    reason = "“" + name + "”以目录分隔符结尾，不是文件名";
  } else if (last.find_first_not_of('.') == std::string::npos) {
    reason = "“" + name + "”不是可用的文件名";
  }
  if (!reason.empty()) throw EngineError(EngineError::Kind::InvalidValue, EngineError::Words{"数据表" + file + "未能转存：" + reason});
}

// The index and validity files that backup and restore carry with `table`.
std::vector<std::string> CompanionsOf(const std::string& table) {
  std::vector<std::string> companions;
  for (const ReportItem& item : ReportItems()) {
    for (const std::string& companion : item.companions) {
      if (StemOf(companion) == StemOf(table) &&
          std::find(companions.begin(), companions.end(), companion) == companions.end()) {
        companions.push_back(companion);
      }
    }
  }
  return companions;
}

EngineError CannotWrite(const fs::path& target, const EngineError& failure) {
  return EngineError(EngineError::Kind::Io, EngineError::Words{"无法写入文件" + target.string() + "：" + ui::UserText(failure)},
                     failure.subject());
}

// Opens `path`, which exists, for copying into `sources`; one that cannot
// be read is an error naming it, never a silent skip.
formats::RandomAccessFile& OpenForCopy(const fs::path& path, std::deque<formats::RandomAccessFile>& sources) {
  const auto unreadable = [&path](const std::string& why) {
    return EngineError(EngineError::Kind::Io, EngineError::Words{"无法读取文件" + path.string() + "：" + why});
  };
  std::error_code error;
  if (!fs::is_regular_file(path, error)) throw unreadable("它不是普通文件");
  try {
    return sources.emplace_back(path, formats::RandomAccessFile::Mode::ReadOnly);
  } catch (const EngineError&) {
    throw unreadable("文件无法打开");
  }
}

// A Paradox table written here has no validity checks: a .val left beside
// its name by an earlier table would claim it does. Its index files go
// with the write itself.
std::vector<fs::path> StaleValidityFiles(const fs::path& table) {
  std::vector<fs::path> files;
  if (!text::EqualsIgnoreAsciiCase(table.extension().string(), ".db")) return files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(table.parent_path(), error)) {
    const fs::path& path = entry.path();
    if (text::EqualsIgnoreAsciiCase(path.stem().string(), table.stem().string()) &&
        text::EqualsIgnoreAsciiCase(path.extension().string(), ".val")) {
      files.push_back(path);
    }
  }
  return files;
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

ReportTransfer::ReportTransfer(mainunit::MainUnit& main, mainunit::Prompts& prompts, db::Table& table)
    : main_(main), prompts_(prompts), table_(table) {}

void ReportTransfer::TransferReportTables(TransferMode mode, const std::vector<bool>& ticked) {
  const bool copies = mode == TransferMode::Backup || mode == TransferMode::Restore;
  // A backup or restore replaces the tables of the run as one set, so that
  // no table is paired with another generation's (items 0 and 2 name the
  // same tables: they are copied once).
  formats::TableSetReplacement set;
  std::set<std::string> copied;
  for (std::size_t i = 0; i < ReportItems().size() && i < ticked.size(); ++i) {
    if (!ticked[i]) continue;
    const ReportItem& item = ReportItems()[i];
    for (std::size_t t = 0; t < item.tables.size(); ++t) {
      if (!copies) {
        TransferTableFile(item.tables[t], item.export_titles[t], mode);
      } else if (copied.insert(StemOf(item.tables[t])).second) {
        CopyFile(item.tables[t], mode, set);
      }
    }
  }
  if (copies) PutInPlace(set);
}

void ReportTransfer::SubmitTables(const std::vector<std::string>& files, const std::string& folder) {
  formats::TableSetReplacement set;
  for (const std::string& file : files) {
    const std::string target = folder + file;
    RefuseUnusableTargetName(file, target);
    ExportTable(file, target, [&](const fs::path&) {
      const dbtool::TableToSave table = dbtool::PrepareTableToSave(main_.Database1, table_, nullptr, target);
      std::vector<formats::NewTableFile> new_files = formats::NewParadoxTableFiles(table.target, table.fields, table.rows);
      for (const fs::path& stale : StaleValidityFiles(table.target)) new_files.push_back({stale, nullptr});
      set.Add(table.target, new_files);
    });
  }
  PutInPlace(set);
}

void ReportTransfer::TransferTableFile(const std::string& file, const std::string& text, TransferMode mode) {
  switch (mode) {
    case TransferMode::Backup:
    case TransferMode::Restore: {
      formats::TableSetReplacement set;
      CopyFile(file, mode, set);
      PutInPlace(set);
      return;
    }
    case TransferMode::Export: {
      ui::SaveDialog& dialog = main_.SaveDialog1;
      dialog.title = text;
      if (!prompts_.Execute(dialog)) return;
      RefuseUnusableTargetName(file, dialog.file_name);
      dialog.file_name = WithDefaultExtension(dialog.file_name);
      SaveAs(file, dialog.file_name);
      return;
    }
    case TransferMode::Submission:
      RefuseUnusableTargetName(file, text);
      SaveAs(file, text);
      return;
  }
}

void ReportTransfer::CopyFile(const std::string& file, TransferMode mode, formats::TableSetReplacement& set) {
  if (!IsTable(file)) return;  // a companion goes with its table
  const auto in = [&](const std::string& folder, const std::string& name) {
    return main_.Database1.ResolveTableName(main_.SendBaseDir + folder + name);
  };
  const std::string& from = mode == TransferMode::Backup ? main_.DataDirPrefix : "bak\\";
  const std::string& to = mode == TransferMode::Backup ? "bak\\" : main_.DataDirPrefix;
  const fs::path source = in(from, file);
  const fs::path target = in(to, file);
  std::error_code error;
  if (!fs::exists(source, error)) return;  // a table not kept here
  // bak\ may hold a backup copied from elsewhere.
  const auto origin = [mode](TransferMode bak_side) {
    return mode == bak_side ? formats::FolderOrigin::Foreign : formats::FolderOrigin::Own;
  };
  RecoverBeforeCopy(source, origin(TransferMode::Restore));
  std::deque<formats::RandomAccessFile> sources;
  OpenForCopy(source, sources);
  const auto copy = [](const formats::RandomAccessFile& opened, const fs::path& to_path) {
    return formats::NewTableFile{to_path, [&opened, to_path] { return formats::CopyTemporaryFor(opened, to_path); }};
  };
  // The table, its memo file and its companions are one generation: they
  // replace the target's together, and a file the source lacks goes.
  std::vector<formats::NewTableFile> files = {copy(sources.back(), target)};
  std::vector<std::string> others = CompanionsOf(file);
  others.insert(others.begin(), fs::path(file).stem().string() + ".mb");
  for (const std::string& other : others) {
    const fs::path other_source = in(from, other);
    const fs::path other_target = in(to, other);
    if (fs::exists(other_source, error)) {
      files.push_back(copy(OpenForCopy(other_source, sources), other_target));
    } else if (fs::exists(other_target, error)) {
      files.push_back({other_target, nullptr});
    }
  }
  RefuseMissingFolder(target);
  try {
    set.Add(target, files, origin(TransferMode::Backup));
  } catch (const EngineError& failure) {
    throw CannotWrite(target, failure);
  }
}

void ReportTransfer::PutInPlace(formats::TableSetReplacement& set) {
  try {
    set.Commit();
  } catch (const EngineError& failure) {
    throw CannotWrite(failure.subject().table, failure);
  }
}

void ReportTransfer::SaveAs(const std::string& file, const std::string& target) {
  ExportTable(file, target, [&](const fs::path& to) {
    dbtool::SaveDataSetAsTable(main_.Database1, table_, nullptr, target);
    std::error_code ignored;
    for (const fs::path& stale : StaleValidityFiles(to)) fs::remove(stale, ignored);
  });
}

void ReportTransfer::ExportTable(const std::string& file, const std::string& target,
                                 const std::function<void(const fs::path& to)>& write) {
  const fs::path source = main_.Database1.ResolveTableName(main_.SendBaseDir + main_.DataDirPrefix + file);
  std::error_code error;
  if (!fs::exists(source, error)) return;
  table_.Close();
  table_.SetTableName(source.string());
  mainunit::OnExit close([this] { table_.Close(); });
  try {
    const fs::path to = main_.Database1.ResolveTableName(target);
    RefuseMissingFolder(to);
    table_.Open();
    write(to);
  } catch (const EngineError& failure) {
    throw EngineError(failure.kind(), EngineError::Words{"数据表" + file + "未能转存到" + target + "：" + ui::UserText(failure)}, failure.subject());
  }
}

}  // namespace veltra::exchange
