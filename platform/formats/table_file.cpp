#include "platform/formats/table_file.h"

#include <iterator>
#include <string>

#include "platform/formats/dbase_table.h"
#include "platform/formats/paradox_table.h"
#include "platform/formats/rollback_journal.h"
#include "platform/formats/table_recovery.h"
#include "platform/formats/text_table.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"

namespace veltra::formats {
void TableFile::AppendMany(const std::vector<const Record*>& records) {
  for (const Record* record : records) Append(*record);
}

void TableFile::OverwriteFields(std::size_t position, const Record& record, const std::vector<bool>&) {
  Overwrite(position, record);
}

void TableFile::ReadEach(const std::function<void(std::size_t, Record&&)>& take) {
  std::vector<Record> records = ReadAll();
  for (std::size_t position = 0; position < records.size(); ++position) take(position, std::move(records[position]));
}

void TableFile::RewriteWith(std::size_t count, const RecordSource& record) {
  std::vector<Record> records;
  records.reserve(count);
  for (std::size_t position = 0; position < count; ++position) records.push_back(record(position));
  Rewrite(records);
}

void TableFile::ScanRecords(const RecordScan& scan) {
  for (const Record& record : ReadAll()) {
    if (scan.test(record)) scan.visit(record);
  }
}

std::vector<Record> TableFile::ReadRange(std::size_t first, std::size_t count) {
  std::vector<Record> all = ReadAll();
  if (first + count > all.size()) {
    throw EngineError(EngineError::Kind::InvalidValue, "cannot read records " + std::to_string(first + 1) + " to " +
                                                           std::to_string(first + count) + " of " + path().string() +
                                                           ", which holds " + std::to_string(all.size()));
  }
  return {std::make_move_iterator(all.begin() + static_cast<std::ptrdiff_t>(first)),
          std::make_move_iterator(all.begin() + static_cast<std::ptrdiff_t>(first + count))};
}

void TableFile::WriteAllOrNothing(const std::function<void()>& writes) {
  BeginGroup();
  try {
    writes();
    CommitGroup();
  } catch (...) {
    try {
      AbandonGroup();
    } catch (...) {
      // What was left undone is undone when the table is next opened; the
      // caller hears of the first failure.
    }
    throw;
  }
}

void TableFile::WriteAlone(RollbackJournal& journal, const std::function<void()>& write) {
  WriteAllOrNothing(write);
  journal.RemoveEmpty();
}

// A commit that fails leaves the group open: a later Sync tries again, and
// a table closed without one is rolled back to its last Sync when next opened.
bool TableFile::CommitHeldGroup(RollbackJournal& journal) {
  if (!journal.active()) return false;
  CommitGroup();
  journal.RemoveEmpty();
  return true;
}

void TableFile::SettleHeldPostsOnClose(RollbackJournal& journal, const std::function<void()>& take_in) noexcept {
  try {
    if (!CommitHeldGroup(journal)) take_in();
  } catch (const EngineError&) {
  }
}

TableKind KindForPath(const std::filesystem::path& path) {
  const std::string extension = path.extension().string();
  if (text::EqualsIgnoreAsciiCase(extension, ".dbf")) return TableKind::DBase;
  if (text::EqualsIgnoreAsciiCase(extension, ".txt")) return TableKind::Text;
  return TableKind::Paradox;
}

std::unique_ptr<TableFile> OpenTableFile(const std::filesystem::path& path) {
  RecoverTableFiles(path);
  switch (KindForPath(path)) {
    case TableKind::DBase: return OpenDBaseTable(path);
    case TableKind::Text: return OpenTextTable(path);
    case TableKind::Paradox: break;
  }
  return OpenParadoxTable(path);
}

void CreateTableFile(const std::filesystem::path& path, TableKind kind, const FieldDefs& fields,
                     const std::vector<Record>& records, const CodePage& code_page) {
  RecoverTableFiles(path);
  SettleFolderLeftovers(path.parent_path());
  try {
    switch (kind) {
      case TableKind::DBase: return CreateDBaseTable(path, fields, records, code_page);
      case TableKind::Text: return CreateTextTable(path, fields, records);
      case TableKind::Paradox: break;
    }
    CreateParadoxTable(path, fields, records, code_page.number());
  } catch (const EngineError& refusal) {
    // A field list is checked before the file is named.
    if (!refusal.subject().table.empty() || refusal.worded()) throw;
    ErrorSubject subject = refusal.subject();
    subject.table = path.string();
    throw EngineError(refusal.kind(), path.string() + ": " + refusal.what(), subject);
  }
}

}  // namespace veltra::formats
