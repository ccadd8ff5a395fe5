#pragma once
// The enterprise window's data logic on a scratch working folder.
#include <map>
#include <string>

#include "entry/kfq.h"
#include "tests/support/working_folder.h"

namespace veltra::entry::testing {

class KfqTest : public veltra::testing::WorkingFolderTest {
 protected:
  KfqTest() : kfq(main(), prompts) {}

  // Keys in an enterprise on the cover and saves it.
  void AddEnterprise(const std::string& qa01, const std::string& qa03, const std::string& qa04) {
    kfq.ShowPage(0);
    kfq.InsertRecord();
    kfq.Master().FieldByName("QA01").SetAsString(qa01);
    kfq.Master().FieldByName("QA03").SetAsString(qa03);
    kfq.Master().FieldByName("QA04").SetAsString(qa04);
    kfq.SaveRecord();
  }

  // Keys in a detail row of the current enterprise on its page.
  void AddDetailRow(int detail, const std::map<std::string, std::string>& values) {
    kfq.ShowPage(PageOf(detail));
    kfq.InsertRecord();
    for (const auto& [field, value] : values) kfq.Detail(detail).FieldByName(field).SetAsString(value);
    kfq.SaveRecord();
  }

  int PageOf(int detail) const {
    const auto& pages = kfq.Description().pages;
    for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
      if (pages[i].detail == detail) return i;
    }
    return -1;
  }

  bool GoToEnterprise(const std::string& qa01) {
    kfq.ShowPage(0);
    for (kfq.Master().First(); !kfq.Master().Eof(); kfq.Master().Next()) {
      if (kfq.Master().FieldByName("QA01").AsString() == qa01) return true;
    }
    return false;
  }

  veltra::testing::ScriptedPrompts prompts;
  KfqEntry kfq;
};

}  // namespace veltra::entry::testing
