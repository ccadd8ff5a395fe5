#pragma once
// The form every entry window is: pages of data-aware edits laid out from
// the schema's captions and pages, an upper and a lower grid and a scope
// box on each detail page, the tool bar with the validation switch, the
// progress bar and the status line. It shows its EntryFrame's state and
// passes the user's acts on; a window adds its own handlers on top.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "entry/entry_frame.h"
#include "platform/ui/buttons.h"
#include "platform/ui/data_edits.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/form.h"
#include "platform/ui/lists.h"
#include "platform/ui/page_control.h"
#include "platform/ui/status_controls.h"

class QGridLayout;
class QLabel;
class QToolBar;

namespace veltra::schema {
struct Placement;
}  // namespace veltra::schema

namespace veltra::entry {

// How a form page stands where it is not simply two captioned edits a row.
struct FormLayout {
  // From this field on, the edits stand below a dividing line, `figures_per_row` a row.
  std::string figures_from;
  int figures_per_row = 3;
  // Above 1: the untitled head in a box, then the titled sections side by
  // side, one a column, those beyond the last column under it.
  int section_columns = 1;
};

struct EntryWindowParts {
  std::string form_name;  // "F_kfq"
  int width = 792;
  int height = 543;
  // "数据入库" (ToolButton11), for the windows that import a submission.
  std::function<void()> import_submission;
  // Runs the window's locate dialog; empty: TF_change_r.
  std::function<void()> locate_dialog;
  // The lines the cover shows above its edits (the form's title), centred.
  std::function<std::vector<QWidget*>(QWidget& page)> cover_heading;
  FormLayout form_layout;
  // The tool buttons' width in pixels; 0: as wide as their captions.
  int tool_button_width = 0;
};

class TF_change_r;

// The form's title on the cover, in large type, with a line beneath it when
// `subtitle` is not empty.
std::function<std::vector<QWidget*>(QWidget& page)> CoverHeading(std::string title, std::string subtitle = "");

class EntryWindow : public ui::Form {
  Q_OBJECT

 public:
  ~EntryWindow() override;

  EntryFrame& Frame() { return *frame_; }

  ui::PageControl* PageControl1;
  std::vector<ui::TabSheet*> TabSheets;  // in page order; TabSheets[0] is the cover
  QLabel* Label2 = nullptr;              // caption of the master key's edit
  ui::DBEdit* DBEdit1 = nullptr;         // the master key's edit
  ui::ComboBox* ComboBox1 = nullptr;       // the validation switch, where the window has one
  QToolBar* ToolBar1;
  ui::ToolButton* ToolButton5 = nullptr;   // 插入记录
  ui::ToolButton* ToolButton9 = nullptr;   // 数据追加
  ui::ToolButton* ToolButton11 = nullptr;  // 数据入库
  ui::ProgressBar* ProgressBar1;
  ui::StatusBar* StatusBar1;

  // The data-aware edit of a master field, or null when no page shows it.
  ui::DBEdit* EditOf(const std::string& field) const;
  // The same for a field of a detail shown one row at a time.
  ui::DBEdit* DetailEditOf(int detail, const std::string& field) const;
  // The memo edit of a master memo field, or null.
  ui::DBMemo* MemoOf(const std::string& field) const;
  // A detail page's grids, by their component names.
  ui::DBGrid* Grid(const std::string& name) const;

 protected:
  EntryWindow(std::unique_ptr<EntryFrame> frame, EntryWindowParts parts);
  // What a window shows of its own state, after every change of the frame's.
  virtual void ApplyOwnView() {}

 private:
  // A detail page in grids; the lower grid and the scope box may be absent.
  struct DetailPage {
    int detail;
    ui::DBGrid* upper;
    ui::DBGrid* lower;
    ui::ComboBox* scope;
  };
  struct BoundEdit {
    std::string field;
    int detail;  // -1 for the master
    ui::DBEdit* edit;
  };

  // A page of captioned edits on the master, or on a detail shown one row at a time.
  void BuildFormPage(ui::TabSheet& sheet, const PageDescription& page, bool cover);
  // `places` as captioned edits in `grid` from `row` on, `per_row` a row, a
  // title above each section, code lists and memos on rows of their own;
  // returns the first row left free.
  int AddEdits(QWidget& content, QGridLayout& grid, int row, int per_row, int detail,
               const std::vector<const schema::Placement*>& places);
  DetailPage BuildDetailPage(ui::TabSheet& sheet, const PageDescription& page);
  ui::DBEdit* FindEdit(int detail, const std::string& field) const;
  void BuildToolBar();
  // After "插入记录" on a grid page: the first cell of the new row.
  void FocusFirstCell();
  void ApplyView();

  void FormActivate();
  void FormClose(bool& allow);
  void FormKeyPress(int& key);
  void PageControl1Change();
  void ScopeChange(int detail);
  void StatusBar1DblClick();

  std::unique_ptr<EntryFrame> frame_;
  std::unique_ptr<TF_change_r> f_change_r_;
  EntryWindowParts parts_;
  std::vector<DetailPage> detail_pages_;
  std::vector<BoundEdit> edits_;
  std::vector<std::pair<std::string, ui::DBMemo*>> memos_;
  QString key_caption_;  // the master key's label as laid out
};

}  // namespace veltra::entry
