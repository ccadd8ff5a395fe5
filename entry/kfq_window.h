#pragma once
// TF_kfq, the enterprise survey window: pages of data-aware edits built
// from the schema's captions and pages, the products and projects grids,
// the tool bar, validation switch, progress bar and status line. The work
// is KfqEntry's; the window shows its state and passes the user's acts on.
#include <memory>
#include <vector>

#include "entry/kfq.h"
#include "platform/ui/buttons.h"
#include "platform/ui/data_edits.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/form.h"
#include "platform/ui/lists.h"
#include "platform/ui/page_control.h"
#include "platform/ui/status_controls.h"

class QLabel;
class QToolBar;

namespace veltra::exchange {
class TF_bhcl;
}  // namespace veltra::exchange

namespace veltra::entry {

class TF_change_r2;

class TF_kfq : public ui::Form {
  Q_OBJECT

 public:
  TF_kfq(app::MainUnit& main, app::Prompts& prompts);
  ~TF_kfq() override;

  KfqEntry& Frame() { return frame_; }

  ui::PageControl* PageControl1;
  std::vector<ui::TabSheet*> TabSheets;  // in page order; TabSheets[0] is the cover
  QLabel* Label2;
  ui::DBEdit* DBEdit1;
  ui::DBGrid* DBGrid1;
  ui::DBGrid* DBGrid2;
  ui::DBGrid* DBGrid5;
  ui::DBGrid* DBGrid6;
  ui::ComboBox* ComboBox1;
  ui::ComboBox* ComboBox2;
  ui::ComboBox* ComboBox3;
  QToolBar* ToolBar1;
  ui::ToolButton* ToolButton5;   // 插入记录
  ui::ToolButton* ToolButton9;   // 数据追加
  ui::ToolButton* ToolButton11;  // 数据入库
  ui::ProgressBar* ProgressBar1;
  ui::StatusBar* StatusBar1;

  // The data-aware edit of a master field, or null when no page shows it.
  ui::DBEdit* EditOf(const std::string& field) const;

 private:
  struct DetailPage {
    ui::DBGrid* upper;
    ui::DBGrid* lower;
    ui::ComboBox* scope;
  };

  void BuildMasterPage(ui::TabSheet& sheet, const std::string& page, bool cover);
  DetailPage BuildDetailPage(ui::TabSheet& sheet, int detail, const std::string& upper, const std::string& lower,
                             const std::string& scope_name);
  void BuildToolBar();
  void ApplyView();

  void FormActivate();
  void FormClose(bool& allow);
  void FormKeyPress(int& key);
  void PageControl1Change();
  void ScopeChange(int detail);
  void StatusBar1DblClick();
  void ToolButton11Click();

  app::MainUnit& main_;
  KfqEntry frame_;
  std::vector<DetailPage> detail_pages_;
  std::vector<std::pair<std::string, ui::DBEdit*>> edits_;
  std::unique_ptr<TF_change_r2> f_change_r2_;
  std::unique_ptr<exchange::TF_bhcl> f_bhcl_;
};

}  // namespace veltra::entry
