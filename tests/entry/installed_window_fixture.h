#pragma once
// An entry window shown on a working folder made by the installation, its
// rule tables in force, driven through the window harness.
#include <QApplication>
#include <functional>
#include <memory>
#include <type_traits>

#include "entry/entry_description.h"
#include "entry/entry_window.h"
#include "install/working_folder.h"
#include "mainunit/ui_prompts.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/platform/ui/harness/ui_script.h"
#include "tests/support/working_folder.h"

namespace veltra::entry::testing {

// The page that shows `detail` (-1: the cover).
inline int PageOf(const EntryDescription& description, int detail) {
  const auto& pages = description.pages;
  for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
    if (pages[i].detail == detail) return i;
  }
  return -1;
}

// A window of class Window, for tables of cases that name their window.
using MakeWindow = std::function<std::unique_ptr<EntryWindow>(mainunit::MainUnit&, mainunit::Prompts&)>;
template <typename Window>
std::unique_ptr<EntryWindow> Make(mainunit::MainUnit& unit, mainunit::Prompts& prompts) {
  return std::make_unique<Window>(unit, prompts);
}

// The `name` of a table's case names its test.
struct CaseName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return info.param.name;
  }
};

class InstalledWindowTest : public veltra::testing::WorkingFolderTest {
 protected:
  InstalledWindowTest() : work(folder() / "work") {
    ui::testing::EnsureApplication();
    install::CreateWorkingFolder(work);
    unit = std::make_unique<mainunit::MainUnit>(work);
  }
  ~InstalledWindowTest() override {
    window.reset();
    unit.reset();
  }

  // The program starts again on what the disk holds.
  void Restart() {
    window.reset();
    unit = std::make_unique<mainunit::MainUnit>(work);
  }

  // Shows the window, of class Window when the test has none yet.
  template <typename Window>
  Window& Open() {
    if constexpr (std::is_constructible_v<Window, mainunit::MainUnit&, mainunit::Prompts&>) {
      if (!window) window = std::make_unique<Window>(*unit, prompts);
    }
    window->Show();
    QApplication::processEvents();
    return static_cast<Window&>(*window);
  }
  EntryWindow& OpenMade(const MakeWindow& make) {
    window = make(*unit, prompts);
    return Open<EntryWindow>();
  }
  EntryWindow& Entry() { return static_cast<EntryWindow&>(*window); }
  int PageOf(int detail) { return testing::PageOf(Entry().Frame().Description(), detail); }
  void ShowPage(int page) {
    Entry().PageControl1->setCurrentWidget(Entry().TabSheets[page]);
    QApplication::processEvents();
  }
  ui::ToolButton& Tool(const char* name) { return ui::testing::Find<ui::ToolButton>(*window, name); }
  bool Has(const char* name) { return window->findChild<QWidget*>(name) != nullptr; }
  // Clicks a tool button; it must be there and enabled.
  void Press(const char* name) { ASSERT_TRUE(ui::testing::Click(Tool(name))) << name; }

  // One field of every record of a table in the installed folder, read from the file.
  std::vector<std::string> Values(const std::string& table, const std::string& field) {
    return Column("work/" + table, field);
  }
  void AddRowsTo(const std::string& table, const std::vector<std::map<std::string, std::string>>& rows) {
    AddRows("work/" + table, rows);
  }

  std::filesystem::path work;
  ui::testing::UiScript ui_;
  std::unique_ptr<mainunit::MainUnit> unit;
  mainunit::UiPrompts prompts;
  std::unique_ptr<ui::Form> window;
};

}  // namespace veltra::entry::testing
