#pragma once
// The work of the renumbering dialog TF_bhcl: copies a submission's
// enterprise tables into tmp\, lists its enterprises in bhcl.DB, applies
// the report numbers the user changed there, and lists the submitted
// enterprises that still clash with the local kfq_1.db.
#include <filesystem>
#include <string>

#include "mainunit/main_unit.h"
#include "platform/db/data_source.h"
#include "platform/db/query.h"
#include "platform/db/table.h"

namespace veltra::exchange {

inline constexpr const char* kListingLine1 = "上报盘中的企业清单，如要修改报表编号，请在下面第二栏进行修改";
inline constexpr const char* kListingLine2 = "请注意：如果上报数据中法人代码与库中代码相同但报表编号不同刚不能执行入库";
inline constexpr const char* kClashLine1 = "以下为法人代码相同但报表编号不同、或者报表编号相同但法人代码不同的企业";
inline constexpr const char* kClashLine2 = "请在第二栏修改报表编号";

class Renumbering {
 public:
  explicit Renumbering(mainunit::MainUnit& main);
  ~Renumbering();

  // The list the grid shows (bhcl.DB): 原报表编号, 修改后编号, 法人代码, 企业名称.
  db::Table& List() { return list_; }
  db::DataSource& ListSource() { return list_source_; }
  const std::string& Line1() const { return line1_; }
  const std::string& Line2() const { return line2_; }
  int ProgressPosition() const { return progress_position_; }
  int ProgressMaximum() const { return progress_maximum_; }

  // FormActivate: copies kfq_1/2/5.db from the folder of the file chosen in
  // the main unit's OpenDialog1 into tmp\ and lists the submission.
  void Activate();
  // Button1Click: applies the new numbers and looks for clashes. True when
  // none is left and the import may go on.
  bool CheckAndApply();
  // FormClose.
  void Close();

 private:
  void ReloadRenumberGrid();
  // Every changed row at once, as one mapping from old to new numbers, so
  // chains and swaps keep enterprises apart; refused as a whole (nothing
  // changed) for an empty, too long or duplicate new number.
  void ApplyRenumbering();
  bool FindNumberConflicts();

  mainunit::MainUnit& main_;
  db::Table list_;
  db::DataSource list_source_{&list_};
  db::Query query_;
  std::string line1_;
  std::string line2_;
  int progress_position_ = 0;
  int progress_maximum_ = 100;
};

// The file `name` in `folder`, found whatever its letter case.
std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder, const std::string& name);

}  // namespace veltra::exchange
