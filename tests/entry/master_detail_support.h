#pragma once
// An entry window's data logic on a folder made by the installation, its
// rule tables in force: for the windows whose details hang on CODE.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "entry/entry_frame.h"
#include "install/working_folder.h"
#include "platform/types/error.h"
#include "tests/support/working_folder.h"

namespace veltra::entry::testing {

class MasterDetailTest : public veltra::testing::WorkingFolderTest {
 protected:
  MasterDetailTest() : work_(folder() / "work") {
    install::CreateWorkingFolder(work_);
    unit_ = std::make_unique<mainunit::MainUnit>(work_);
  }
  ~MasterDetailTest() override {
    frame_.reset();
    unit_.reset();
  }

  EntryFrame& Open(EntryDescription description) {
    frame_ = std::make_unique<EntryFrame>(*unit_, prompts, std::move(description));
    frame_->Activate();
    return *frame_;
  }
  EntryFrame& frame() { return *frame_; }
  mainunit::MainUnit& unit() { return *unit_; }
  const std::filesystem::path& work() const { return work_; }
  db::Table& TableOf(int kind) { return kind == 0 ? frame_->Master() : frame_->Detail(kind - 1); }

  int PageOf(int kind) const {
    const auto& pages = frame_->Description().pages;
    for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
      if (pages[i].detail == kind - 1) return i;
    }
    return -1;
  }

  // Keys in a new row of `kind` (0 the master, i the detail i-1) on its page and saves it.
  void KeyIn(int kind, const std::map<std::string, std::string>& values) {
    frame_->ShowPage(PageOf(kind));
    frame_->InsertRecord();
    for (const auto& [field, value] : values) TableOf(kind).FieldByName(field).SetAsString(value);
    frame_->SaveRecord();
  }

  // Moves the table of `kind` to the row whose `field` is `value`, on its page.
  bool GoTo(int kind, const std::string& field, const std::string& value) {
    frame_->ShowPage(PageOf(kind));
    db::Table& table = TableOf(kind);
    for (table.First(); !table.Eof(); table.Next()) {
      if (table.FieldByName(field).AsString() == value) return true;
    }
    return false;
  }

  // What the user is told when `act` runs: the engine's error, the box
  // before a silent abort, or "posted". A refused row is cancelled.
  std::string Outcome(const std::function<void()>& act) {
    try {
      act();
    } catch (const EngineError& error) {
      return error.what();
    } catch (const SilentAbort&) {
      return prompts.notices.back().title + ":" + prompts.notices.back().text;
    }
    return "posted";
  }

  void CancelAll() {
    for (int kind = frame_->DetailCount(); kind >= 0; --kind) TableOf(kind).Cancel();
  }

  // One field of every record of a table in the installed folder.
  std::vector<std::string> Column(const std::string& table, const std::string& field) {
    return WorkingFolderTest::Column("work\\" + table, field);
  }
  // Rows written through the window's own database, as another window of the program would.
  void AddRows(const std::string& name, const std::vector<std::map<std::string, std::string>>& rows) {
    veltra::testing::AppendRows(unit_->Database1, name, rows);
  }
  std::string In(const std::string& name) { return (work_ / "in" / name).string(); }
  // An import source beside the tables: an empty copy of `table`'s layout with these rows.
  void Submit(const std::string& table, const std::vector<std::map<std::string, std::string>>& rows) {
    std::filesystem::create_directories(work_ / "in");
    CreateEmpty("work\\in\\" + table, table);
    WorkingFolderTest::AddRows("work\\in\\" + table, rows);
  }

  veltra::testing::ScriptedPrompts prompts;

 private:
  std::filesystem::path work_;
  std::unique_ptr<mainunit::MainUnit> unit_;
  std::unique_ptr<EntryFrame> frame_;
};

}  // namespace veltra::entry::testing
