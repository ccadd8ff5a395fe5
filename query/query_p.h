#pragma once
// The generic printout window: prints query_p.db with the captions of
// bt_p.db and the default title of bt2_p.db, previews one page at a time
// and prints a range of pages. Title, fonts, rules and the fixed left
// column chosen here last until the next activation.
#include <QLabel>
#include <memory>

#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/print/printer_setup_dialog.h"
#include "platform/ui/buttons.h"
#include "platform/ui/form.h"
#include "platform/ui/lists.h"
#include "platform/ui/text_controls.h"
#include "query/query_printout.h"

namespace veltra::query {

class TF_bt_p;

class TF_query_p : public ui::Form {
 public:
  explicit TF_query_p(db::Database& database);
  ~TF_query_p() override;

  const QueryPrintout& Printout() const { return printout_; }
  // The page the preview shows, as drawn.
  const print::Document& ShownPage() const { return shown_; }
  int CurrentPage() const { return current_; }

  ui::Edit Edit4{this, "Edit4"};
  ui::ComboBox ComboBox3{this, "ComboBox3", {}};
  ui::ComboBox ComboBox4{this, "ComboBox4", {}};
  ui::ComboBox ComboBox5{this, "ComboBox5", {"左", "中", "右"}};
  ui::CheckBox CheckBox3{this, "CheckBox3", "固定左列"};
  ui::Button Button7{this, "Button7", "表头设置"};
  QLabel* Image1;  // the preview page, owned by its scroll area
  ui::ComboBox ComboBox1{this, "ComboBox1", {}};
  ui::ComboBox ComboBox2{this, "ComboBox2", {}};
  ui::CheckBox CheckBox1{this, "CheckBox1", "横格线"};
  ui::CheckBox CheckBox2{this, "CheckBox2", "竖格线"};
  ui::Button Button2{this, "Button2", "页面设置"};
  ui::Button Button1{this, "Button1", "刷新"};
  ui::Button Button3{this, "Button3", "上一页"};
  ui::Edit Edit3{this, "Edit3"};
  ui::Button Button4{this, "Button4", "下一页"};
  ui::Button Button5{this, "Button5", "打印"};
  ui::Edit Edit1{this, "Edit1"};
  ui::Edit Edit2{this, "Edit2"};
  ui::Button Button6{this, "Button6", "返回"};

  // Paper, orientation and where printing goes; a print without a chosen
  // printer or file asks first.
  print::PrintSetup PrinterSetup;

 private:
  void FormCreate();
  void FormActivate();
  // Lays the printout out again; `to_first` starts the preview at page 1,
  // else the page shown stays when it still exists.
  void Relayout(bool to_first);
  void DrawPage();
  void ShowPage(int index);
  void Button2Click();
  void Button5Click();
  void Button7Click();
  void Edit3KeyDown(int key);
  PrintoutStyle ChosenStyle() const;

  db::Database& database_;
  db::Table Table1;
  QueryPrintout printout_;
  print::Document shown_;
  int current_ = 0;
  std::unique_ptr<TF_bt_p> F_bt_p;
};

}  // namespace veltra::query
