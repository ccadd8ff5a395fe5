// What a failed, interrupted or large write leaves behind: record
// positions that stay true, groups of writes that land whole or not at
// all, memo and table files replaced together, and no stale temporaries.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>

#include "platform/formats/file_io.h"
#include "platform/formats/rollback_journal.h"
#include "platform/formats/table_file.h"
#include "platform/formats/table_recovery.h"
#include "platform/types/error.h"
#include "temp_folder_test.h"
#include "tests/support/file_io_probe.h"

namespace veltra::formats {
namespace {

namespace fs = std::filesystem;

// Fails the write, rename or sync numbered `fail_at` (from 1) that touches
// a file whose name contains `name`, and counts the syncs.
class FaultInjector : public FileIoObserver {
 public:
  explicit FaultInjector(std::string name, int fail_at = 0) : name_(std::move(name)), fail_at_(fail_at) {
    previous_ = SetFileIoObserver(this);
  }
  ~FaultInjector() override { SetFileIoObserver(previous_); }
  void BeforeWrite(const fs::path& file, std::uint64_t, std::size_t) override { Count(file); }
  void BeforeRename(const fs::path&, const fs::path& to) override { Count(to); }
  // Syncs of the table and memo files, not of the journal.
  void BeforeSync(const fs::path& file) override {
    const std::string name = file.filename().string();
    if (name.find(name_) != std::string::npos && !name.ends_with(".rollback")) ++syncs;
    Count(file);
  }
  int operations = 0;
  int syncs = 0;

 private:
  void Count(const fs::path& file) {
    if (file.filename().string().find(name_) == std::string::npos) return;
    if (++operations == fail_at_) throw EngineError(EngineError::Kind::Io, "injected failure");
  }
  std::string name_;
  int fail_at_;
  FileIoObserver* previous_;
};

const FieldDefs kFields = {{"ID", FieldType::String, 12}, {"N", FieldType::Float, 0}, {"M", FieldType::Memo, 4}};

Record Row(int n) {
  return {Value::Text("R" + std::to_string(n)), Value::Float(n), Value::Text("备注" + std::to_string(n) + "很长的备注内容")};
}

std::vector<Record> Rows(int first, int count) {
  std::vector<Record> rows;
  for (int n = first; n < first + count; ++n) rows.push_back(Row(n));
  return rows;
}

std::vector<const Record*> Pointers(const std::vector<Record>& rows) {
  std::vector<const Record*> pointers;
  for (const Record& row : rows) pointers.push_back(&row);
  return pointers;
}

// Records as display text: a text table gives every value back as text.
std::vector<std::vector<std::string>> Shown(const std::vector<Record>& records) {
  std::vector<std::vector<std::string>> shown;
  for (const Record& record : records) {
    shown.emplace_back();
    for (const Value& value : record) shown.back().push_back(value.ToDisplayText());
  }
  return shown;
}

class WriteSafetyTest : public TempFolderTest, public ::testing::WithParamInterface<const char*> {
 protected:
  fs::path Table() const { return dir_ / (std::string("t") + GetParam()); }
  std::vector<std::vector<std::string>> Reopened() const { return Shown(OpenTableFile(Table())->ReadAll()); }
};

// Random removes, overwrites and appends over many blocks agree with a
// plain list, in the open table and after reopening.
TEST_P(WriteSafetyTest, PositionsStayTrueThroughRemovesOverwritesAndAppends) {
  std::vector<Record> model = Rows(0, 900);
  CreateTableFile(Table(), KindForPath(Table()), kFields, model);
  auto table = OpenTableFile(Table());
  std::mt19937 random(7);
  for (int step = 0; step < 600; ++step) {
    const std::size_t at = random() % model.size();
    switch (step % 3) {
      case 0:
        table->Remove(at);
        model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
        break;
      case 1:
        model[at] = Row(10000 + step);
        table->Overwrite(at, model[at]);
        break;
      default:
        model.push_back(Row(20000 + step));
        table->Append(model.back());
    }
  }
  EXPECT_THROW(table->Overwrite(model.size(), Row(1)), EngineError);
  EXPECT_EQ(Shown(table->ReadAll()), Shown(model));
  EXPECT_EQ(Reopened(), Shown(model));
}

// Each write, sync or rename of a group failing in turn: the table holds
// what it held before, open and reopened, and no journal stays behind.
TEST_P(WriteSafetyTest, AGroupThatFailsPartWayLeavesTheTableAsBefore) {
  const std::vector<Record> before = Rows(0, 300);
  const std::vector<Record> added = Rows(300, 400);
  CreateTableFile(Table(), KindForPath(Table()), kFields, before);
  int failures = 0;
  for (int fail_at = 1;; ++fail_at) {
    auto table = OpenTableFile(Table());
    FaultInjector faults("t", fail_at);
    try {
      table->WriteAllOrNothing([&] {
        table->Overwrite(5, Row(-5));
        table->Remove(250);
        table->AppendMany(Pointers(added));
      });
    } catch (const EngineError&) {
      ++failures;
      ASSERT_EQ(Shown(table->ReadAll()), Shown(before)) << "failing operation " << fail_at;
      ASSERT_EQ(Reopened(), Shown(before)) << "failing operation " << fail_at;
      continue;
    }
    EXPECT_EQ(faults.syncs, std::string(GetParam()) == ".txt" ? 1 : 2) << "a group syncs its files once";
    break;
  }
  EXPECT_GE(failures, 3);
  std::vector<Record> after = before;
  after[5] = Row(-5);
  after.erase(after.begin() + 250);
  after.insert(after.end(), added.begin(), added.end());
  EXPECT_EQ(Reopened(), Shown(after));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), std::string(GetParam()) == ".txt" ? 1 : 2);
}

INSTANTIATE_TEST_SUITE_P(Formats, WriteSafetyTest, ::testing::Values(".db", ".dbf", ".txt"));

// Memo space freed and taken again inside a group (a large memo rewritten
// three times) is given back with the rest when the group fails.
using MemoSpaceSafetyTest = TempFolderTest;

TEST_F(MemoSpaceSafetyTest, ReusedMemoSpaceIsUndoneWithItsGroup) {
  const fs::path& dir = dir_;
  const auto large = [](int n) {
    return Record{Value::Text("R"), Value::Float(n), Value::Text(std::string(3000, static_cast<char>('a' + n)))};
  };
  const std::vector<Record> before{Row(0), large(1), Row(2)};
  CreateTableFile(dir / "t.db", TableKind::Paradox, kFields, before);
  for (int fail_at = 1;; ++fail_at) {
    auto table = OpenTableFile(dir / "t.db");
    FaultInjector faults("t", fail_at);
    try {
      table->WriteAllOrNothing([&] {
        for (int n = 3; n < 6; ++n) table->Overwrite(1, large(n));
        table->Remove(0);
      });
    } catch (const EngineError&) {
      ASSERT_EQ(Shown(OpenTableFile(dir / "t.db")->ReadAll()), Shown(before)) << "failing operation " << fail_at;
      continue;
    }
    break;
  }
  EXPECT_EQ(Shown(OpenTableFile(dir / "t.db")->ReadAll()), Shown({large(5), Row(2)}));
  EXPECT_LE(fs::file_size(dir / "t.mb"), 5u * 4096);
}

class PairReplaceTest : public TempFolderTest, public ::testing::WithParamInterface<const char*> {};

// A table with memos rewritten (a pack) while each of its writes and
// renames fails in turn: the next open sees the old records or the new
// ones, and the temporaries are gone.
TEST_P(PairReplaceTest, TableAndMemoFileAreReplacedTogether) {
  const fs::path table = dir_ / (std::string("pair") + GetParam());
  const std::vector<Record> old_rows = Rows(0, 50);
  const std::vector<Record> new_rows = Rows(1000, 7);
  CreateTableFile(table, KindForPath(table), kFields, old_rows);
  std::set<std::string> outcomes;
  for (int fail_at = 1; fail_at < 40; ++fail_at) {
    {
      FaultInjector faults("pair", fail_at);
      try {
        CreateTableFile(table, KindForPath(table), kFields, new_rows);
      } catch (const EngineError&) {
      }
    }
    const std::vector<Record> seen = OpenTableFile(table)->ReadAll();
    ASSERT_TRUE(seen == old_rows || seen == new_rows) << "failing operation " << fail_at << ": " << seen.size() << " records";
    outcomes.insert(seen == old_rows ? "old" : "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 2) << "failing operation " << fail_at;
    CreateTableFile(table, KindForPath(table), kFields, old_rows);
  }
  EXPECT_EQ(outcomes, (std::set<std::string>{"old", "new"}));
}

INSTANTIATE_TEST_SUITE_P(Formats, PairReplaceTest, ::testing::Values(".db", ".dbf"));

// Writes held for a group that overlap, extend or bridge earlier ones read
// back as written, before the commit and after it.
TEST_F(TempFolderTest, HeldWritesOfAGroupReadBackAsWritten) {
  const fs::path path = dir_ / "held.bin";
  std::string expected(20000, 'a');
  RandomAccessFile file(path, RandomAccessFile::Mode::CreateNew);
  file.WriteAt(0, expected);
  RollbackJournal journal(path);
  journal.Begin();
  journal.Track(file);
  std::mt19937 random(7);
  for (int i = 0; i < 400; ++i) {
    const std::size_t length = 1 + random() % 700;
    const std::size_t offset = random() % (expected.size() - length);
    const std::string bytes(length, static_cast<char>('b' + i % 20));
    file.WriteAt(offset, bytes);
    expected.replace(offset, length, bytes);
    if (i % 50 == 0) {
      ASSERT_EQ(file.ReadAt(0, expected.size()), expected) << "after write " << i;
    }
  }
  journal.Commit();
  EXPECT_EQ(file.ReadAt(0, expected.size()), expected);
}

// A group larger than the journal holds, its held writes made early and
// the rest of its appends written as they come, cut by a power cut
// anywhere: what recovery leaves is the old file or the new one, to the
// byte and in length.
TEST_F(TempFolderTest, AGroupWrittenEarlyIsUndoneWholeAfterAPowerCut) {
  using veltra::testing::CrashSimulator;
  const fs::path path = dir_ / "grown.bin";
  const std::string old_bytes(10000, 'a');
  std::string new_bytes = old_bytes;
  new_bytes.replace(100, 300, std::string(300, 'b'));
  for (int i = 0; i < 30; ++i) new_bytes += std::string(500, static_cast<char>('c' + i % 20));
  const auto write_group = [&] {
    RandomAccessFile file(path, RandomAccessFile::Mode::ReadWrite);
    RollbackJournal journal(path);
    journal.Begin();
    journal.Track(file);
    file.WriteAt(100, new_bytes.substr(100, 300));
    for (std::size_t at = old_bytes.size(); at < new_bytes.size(); at += 500) file.WriteAt(at, new_bytes.substr(at, 500));
    journal.Commit();
  };
  const std::size_t normal = JournalHoldLimit();
  SetJournalHoldLimit(2000);
  for (const auto crash : {CrashSimulator::Crash::PowerCut, CrashSimulator::Crash::PowerCutTablesWritten}) {
    for (int stop_at = 1;; ++stop_at) {
      WriteFileAtomically(path, old_bytes);
      veltra::testing::FolderImage image;
      bool stopped = false;
      {
        CrashSimulator cut({dir_}, crash, stop_at);
        try {
          write_group();
        } catch (const EngineError&) {
        }
        stopped = cut.stopped();
        image = cut.Image();
      }
      veltra::testing::RestoreImage({dir_}, image);
      RollBackInterruptedWrites(path);
      const std::string seen = ReadWholeFile(path);
      EXPECT_TRUE(seen == old_bytes || seen == new_bytes) << "point " << stop_at << ": " << seen.size() << " bytes";
      if (!stopped) break;
    }
  }
  SetJournalHoldLimit(normal);
}

// A journal of the first version, with its byte-wise checksums, that a
// killed writer left: the next open still rolls the file back, and stops
// at an entry whose bytes were not all written.
std::string LittleEndian(std::uint64_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}

// A journal entry of the first version, with its byte-wise checksum.
std::string FirstVersionEntry(const std::string& payload) {
  std::uint32_t hash = 2166136261u;
  for (char c : payload) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return LittleEndian(payload.size(), 4) + LittleEndian(hash, 4) + payload;
}

TEST_F(TempFolderTest, AJournalOfTheFirstVersionStillRollsBack) {
  const auto le = LittleEndian;
  const auto entry = FirstVersionEntry;
  const fs::path path = dir_ / "old.bin";
  const std::string old_bytes = std::string(4096, 'a') + std::string(100, 'b');
  std::string journal = "VLTRJRN1" + entry(std::string("F") + '\0' + le(old_bytes.size(), 8) + "old.bin") +
                        entry(std::string("P") + '\0' + le(0, 8) + old_bytes.substr(0, 4096));
  const std::string torn = entry(std::string("P") + '\0' + le(4096, 8) + std::string(100, 'x'));
  journal += torn.substr(0, torn.size() - 1) + 'y';
  WriteFileAtomically(path, std::string(4096, 'n') + std::string(100, 'b') + std::string(900, 'n'));
  WriteFileAtomically(dir_ / ".old.bin.rollback", journal);
  RollBackInterruptedWrites(path);
  EXPECT_EQ(ReadWholeFile(path), old_bytes);
  EXPECT_FALSE(fs::exists(dir_ / ".old.bin.rollback"));
}

TEST_F(TempFolderTest, OpeningATableRemovesOnlyItsStaleTemporaries) {
  CreateTableFile(dir_ / "T.db", TableKind::Paradox, kFields, Rows(0, 3));
  const std::vector<std::pair<std::string, bool>> files = {
      {".T.db.tmp123", true},    {".t.MB.tmp9", true},      {".other.db.tmp1", false},
      {".T.db.tmpx", false},     {"T.db.tmp1", false},      {".T.db.tmp", false}};
  for (const auto& [name, stale] : files) WriteFileAtomically(dir_ / name, "left over");
  EXPECT_EQ(OpenTableFile(dir_ / "T.db")->record_count(), 3u);
  for (const auto& [name, stale] : files) EXPECT_EQ(fs::exists(dir_ / name), !stale) << name;
}

// A folder from elsewhere whose journal or intent names files outside
// the table's set (another folder, an absolute path, another table): the
// table is refused as damaged, naming the name, and no file changes.
TEST_F(TempFolderTest, LeftoversNamingFilesOutsideTheTableSetAreRefusedAndTouchNothing) {
  const fs::path sub = dir_ / "sub";
  fs::create_directory(sub);
  CreateTableFile(dir_ / "kfq_2.db", TableKind::Paradox, kFields, Rows(0, 3));
  CreateTableFile(sub / "kfq_3.db", TableKind::Paradox, kFields, Rows(0, 3));
  WriteFileAtomically(sub / ".kfq_1.db.tmp1", "new kfq_1");
  fs::create_symlink(dir_ / "kfq_2.db", sub / ".kfq_1.db.tmp2");
  const std::string outside = (dir_ / "kfq_2.db").string();
  const auto journal_naming = [](const std::string& name) {
    return "VLTRJRN1" + FirstVersionEntry(std::string("F") + '\0' + LittleEndian(0, 8) + name);
  };
  struct Leftover {
    std::string file, content, named;
  };
  const std::vector<Leftover> leftovers = {
      {".kfq_1.db.rollback", journal_naming("../kfq_2.db"), "../kfq_2.db"},
      {".kfq_1.db.rollback", journal_naming(outside), outside},
      {".kfq_1.db.rollback", journal_naming("kfq_3.db"), "kfq_3.db"},
      {".kfq_1.db.replace", "\t" + outside + "\nend\n", outside},
      {".kfq_1.db.replace", "\t..\\kfq_2.db\nend\n", "..\\kfq_2.db"},
      {".kfq_1.db.replace", "\tkfq_3.db\nend\n", "kfq_3.db"},
      {".kfq_1.db.replace", ".kfq_1.db.tmp1\t../kfq_2.db\nend\n", "../kfq_2.db"},
      {".kfq_1.db.replace", "../.kfq_1.db.tmp1\tkfq_1.db\nend\n", "../.kfq_1.db.tmp1"},
      {".kfq_1.db.replace", ".kfq_3.db.tmp1\tkfq_1.db\nend\n", ".kfq_3.db.tmp1"},
      // The intent of a set of tables replaced together: any table of the folder finds it.
      {std::string(kSetIntentName), "\t../kfq_2.db\nend\n", "../kfq_2.db"},
      {std::string(kSetIntentName), ".kfq_1.db.tmp1\t" + outside + "\nend\n", outside},
      {std::string(kSetIntentName), "\tkfq_3.db\n\t..\nend\n", ".."},
      {std::string(kSetIntentName), "\t.kfq_3.db.rollback\nend\n", ".kfq_3.db.rollback"},
      // A temporary that is a link, renamed into place, would steer later writes outside.
      {".kfq_1.db.replace", ".kfq_1.db.tmp2\tkfq_1.db\nend\n", ".kfq_1.db.tmp2"},
      {std::string(kSetIntentName), ".kfq_1.db.tmp2\tkfq_1.db\nend\n", ".kfq_1.db.tmp2"},
  };
  const auto image = [&] {
    std::map<fs::path, std::size_t> files;  // content hashes: a failure prints short
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      if (entry.is_regular_file()) files[entry.path()] = std::hash<std::string>()(ReadWholeFile(entry.path()));
    }
    return files;
  };
  for (const Leftover& leftover : leftovers) {
    WriteFileAtomically(sub / "kfq_1.db", "kfq_1");
    WriteFileAtomically(sub / leftover.file, leftover.content);
    const auto before = image();
    try {
      OpenTableFile(sub / "kfq_1.db");
      ADD_FAILURE() << "opened despite " << leftover.content;
    } catch (const EngineError& refusal) {
      EXPECT_EQ(refusal.kind(), EngineError::Kind::FileFormat) << leftover.content;
      EXPECT_EQ(refusal.subject().table, (sub / "kfq_1.db").string());
      EXPECT_NE(refusal.subject().reason.find("“" + leftover.named + "”"), std::string::npos) << refusal.subject().reason;
    }
    EXPECT_EQ(image(), before) << leftover.content;
    fs::remove(sub / leftover.file);
  }
}

// The journal and the intent are hidden files: a failure to write them
// is told as the table's, for each format.
TEST_F(TempFolderTest, AFailedJournalOrIntentIsToldAsItsTable) {
  for (const std::string table_name : {"t.db", "t.dbf"}) {
    const fs::path table = dir_ / table_name;
    CreateTableFile(table, KindForPath(table), kFields, Rows(0, 2));
    const std::vector<std::pair<std::string, std::function<void()>>> failures = {
        {".rollback", [&] { OpenTableFile(table)->WriteAllOrNothing([] {}); }},
        {".replace", [&] { CreateTableFile(table, KindForPath(table), kFields, Rows(0, 3)); }},
    };
    for (const auto& [suffix, write] : failures) {
      const fs::path hidden = dir_ / ("." + table_name + suffix);
      fs::create_directory(hidden);  // neither made nor read as a file
      try {
        write();
        ADD_FAILURE() << hidden;
      } catch (const EngineError& failure) {
        EXPECT_EQ(failure.kind(), EngineError::Kind::Io) << hidden;
        EXPECT_EQ(failure.subject().table, table.string()) << hidden;
      }
      fs::remove(hidden);
    }
  }
}

// A kill just after a committed group leaves an empty journal, and a
// torn intent renamed nothing: on a read-only folder (a CD) neither keeps
// the table from being read.
TEST_F(TempFolderTest, LeftoversThatHoldNothingDoNotBlockReadingAReadOnlyFolder) {
  const fs::path folder = dir_ / "cd";
  fs::create_directory(folder);
  CreateTableFile(folder / "t.db", TableKind::Paradox, kFields, Rows(0, 2));
  for (const std::string leftover : {".t.db.rollback", ".t.db.replace"}) {
    WriteFileAtomically(folder / leftover, leftover.ends_with("replace") ? ".t.db.tmp1\tt.db\n" : "");
    const fs::perms read_only = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    const fs::perms enter = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    fs::permissions(dir_, fs::perms::owner_all | read_only | enter);
    for (const auto& file : fs::directory_iterator(folder)) fs::permissions(file.path(), read_only);
    fs::permissions(folder, read_only | enter);
    // Root writes anywhere: the reader runs as nobody.
    const pid_t reader = fork();
    if (reader == 0) {
      if (geteuid() == 0 && setuid(65534) != 0) _exit(3);
      try {
        _exit(OpenTableFile(folder / "t.db")->ReadAll() == Rows(0, 2) ? 0 : 1);
      } catch (...) {
        _exit(2);
      }
    }
    int status = 0;
    waitpid(reader, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << leftover << ": " << status;
    fs::permissions(folder, fs::perms::owner_all);
    fs::remove(folder / leftover);
  }
}

// A kill while a table is made under a new name (a save-as, an export)
// leaves its temporaries and perhaps a complete intent, which no open of
// that name settles: the next table written into the folder does, and
// the new name then holds the whole new table or nothing.
TEST_F(TempFolderTest, AKilledMakingOfANewTableIsSettledWhenTheFolderIsNextWritten) {
  using veltra::testing::CrashSimulator;
  for (const std::string made : {"new.db", "new.dbf"}) {
    for (int stop_at = 1;; ++stop_at) {
      fs::remove_all(dir_);
      fs::create_directory(dir_);
      bool stopped = false;
      {
        CrashSimulator kill({dir_}, CrashSimulator::Crash::Kill, stop_at);
        try {
          CreateTableFile(dir_ / made, KindForPath(dir_ / made), kFields, Rows(0, 20));
        } catch (const EngineError&) {
        }
        stopped = kill.stopped();
      }
      CreateTableFile(dir_ / "other.db", TableKind::Paradox, kFields, Rows(0, 1));
      std::set<std::string> left;
      for (const auto& entry : fs::directory_iterator(dir_)) {
        if (entry.path().filename().string().front() == '.') left.insert(entry.path().filename().string());
      }
      EXPECT_TRUE(left.empty()) << made << " killed at " << stop_at << ": " << *left.begin();
      if (fs::exists(dir_ / made)) {
        EXPECT_EQ(OpenTableFile(dir_ / made)->ReadAll(), Rows(0, 20)) << made << " killed at " << stop_at;
      }
      if (!stopped) break;
    }
  }
}

}  // namespace
}  // namespace veltra::formats
