#pragma once
// A scratch folder holding kind 1 with two faulty enterprises, entry
// windows that only record being shown, and a validation window's workings
// on them.
#include <string>
#include <string_view>
#include <vector>

#include "check_test_support.h"
#include "validation/check_frame.h"

namespace veltra::validation::testing {

// Records which entry window the frame asks for, with the locate request
// as it stands when the window opens.
class RecordingEntryWindows : public EntryWindows {
 public:
  struct Shown {
    std::string window, caption, key_field, key_value, key_value2;
    bool opened_from_check;
  };
  explicit RecordingEntryWindows(mainunit::MainUnit& main) : main_(main) {}
  void ShowModal(std::string_view window, const std::string& caption) override {
    shown.push_back({std::string(window), caption, main_.LocateKeyField, main_.LocateKeyValue, main_.LocateKeyValue2,
                     main_.OpenedFromCheck});
  }
  std::vector<Shown> shown;

 private:
  mainunit::MainUnit& main_;
};

// Kind 1 with one plain rule that enterprises 110001 and 110002 both fail.
class KindOneFolder : public CheckTest {
 protected:
  void SetUp() override {
    CreateSystemTables();
    CreateFromSchema("kfq_1.db");
    CreateResultTable("kfq_r.db");
    CreateFromSchema("check_pt.db");
    AddCatalogueRow({1, "kfq1_chk.db", "qa01", "", "kfq_1.db\"", "kfq_r.db", "高新区企业数据校验", "企业", "结果"});
    AddRules("kfq1_chk.db", {{"qc05", "qc05>=0", "总收入不能为负"}});
    AddRow("kfq_1.db", {{"Id", "110001"}, {"QA01", "110001"}, {"QC05", "-1"}});
    AddRow("kfq_1.db", {{"Id", "110002"}, {"QA01", "110002"}, {"QC05", "-2"}});
    main().ReportKind = 1;
  }

  RecordingEntryWindows windows{main()};
};

class CheckFrameTest : public KindOneFolder {
 protected:
  CheckFrame frame{main(), windows};
};

}  // namespace veltra::validation::testing
