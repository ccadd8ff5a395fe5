#pragma once
// "数据库工具": the direct table tool. The user opens any Paradox or dBase
// table and edits it in the grid, runs a local-SQL statement, saves what
// the grid shows as a new table, transposes it into hljh.db, packs or
// empties the opened table and prints what is shown through the generic
// printout.
#include <functional>
#include <memory>

#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/query.h"
#include "platform/db/table.h"
#include "platform/ui/buttons.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/data_navigator.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/form.h"
#include "platform/ui/text_controls.h"

namespace veltra::dbtool {

class TF_change_c;

class TF_db_tool : public ui::Form {
 public:
  // The dialogs are the main window's, so the last names chosen are kept
  // across the program's windows.
  TF_db_tool(db::Database& database, ui::OpenDialog& open_dialog, ui::SaveDialog& save_dialog);
  ~TF_db_tool() override;

  // Shows the generic printout of query_p.db, once "打印" has written it.
  std::function<void()> ShowPrintout;

  ui::DBGrid DBGrid1{this, "DBGrid1"};
  ui::DBNavigator DBNavigator1{this, "DBNavigator1"};
  ui::Memo Memo1{this, "Memo1"};
  ui::Button Button1{this, "Button1", "打开"};
  ui::Button Button2{this, "Button2", "另存"};
  ui::Button Button6{this, "Button6", "行列交换"};
  ui::Button Button7{this, "Button7", "PACK数据库"};
  ui::Button Button8{this, "Button8", "清空数据库"};
  ui::Button Button5{this, "Button5", "执行SQL语句"};
  ui::Button Button3{this, "Button3", "打印"};
  ui::Button Button4{this, "Button4", "返回"};

  db::Table Table1;
  db::Query Query1;
  db::DataSource DataSource1;

 private:
  void FormActivate();
  void FormClose();
  void OpenTableFile();
  void Button5Click();
  void Button2Click();
  void Button6Click();
  void Button7Click();
  void Button8Click();
  void Button3Click();
  void DBGrid1DblClick();

  void PostPendingEdit();
  bool ShowsTable() const { return DataSource1.GetDataSet() == &Table1; }
  db::DataSet& ShownDataSet();
  void EnableResultButtons();
  // The grid shows Query1, just opened.
  void ShowQuery();
  void SaveShown(const std::string& name);

  db::Database& database_;
  ui::OpenDialog& OpenDialog1;
  ui::SaveDialog& SaveDialog1;
  double GridCharWidth = 1.0;
  std::unique_ptr<TF_change_c> F_change_c;
};

}  // namespace veltra::dbtool
