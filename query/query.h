#pragma once
// "查询统计": lets a user who knows no SQL list, filter, sort and total the
// survey data of the current report kind through its field dictionary.
// The conditions page shows the dictionary's fields by caption, composes
// AND and OR conditions and sort fields; the result page shows the
// statement built from them, which the user may edit and run again, and
// the result, which can be printed, saved, transposed and its columns
// renamed. The window is modeless and lives for the whole run: "返回"
// only hides it, keeping every list, tick and condition.
#include <memory>
#include <string>
#include <vector>

#include "mainunit/main_unit.h"
#include "platform/db/data_source.h"
#include "platform/db/query.h"
#include "platform/ui/buttons.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/form.h"
#include "platform/ui/lists.h"
#include "platform/ui/page_control.h"
#include "platform/ui/text_controls.h"
#include "query/query_dictionary.h"
#include "query/query_statement.h"

namespace veltra::dbtool {
class TF_change_c;
}

namespace veltra::query {

class TF_query_p;

class TF_query : public ui::Form {
 public:
  explicit TF_query(mainunit::MainUnit& main);
  ~TF_query() override;

  // The report kind whose dictionary the window holds; 0 before the first load.
  int QueryLoadedKind() const { return loaded_kind_; }
  const QueryDictionary& Dictionary() const { return dictionary_; }
  // This window's own form of the kind-4 filter; the validation window keeps its own.
  const std::string& ReportTypeFilter() const { return report_type_filter_; }
  double GridCharWidth() const { return grid_char_width_; }
  // The printout, created on the first "打印".
  TF_query_p* F_query_p() const { return query_p_.get(); }
  // The table references stored with the AND and the OR conditions.
  const std::vector<std::string>& AndConditionTables() const { return and_tables_; }
  const std::vector<std::string>& OrConditionTables() const { return or_tables_; }

  // Declared first: the pages own the controls below, which leave them first.
  ui::PageControl PageControl1{this, "PageControl1"};
  ui::TabSheet* TabSheet1;  // "选择查询统计条件"
  ui::TabSheet* TabSheet2;  // "查询统计结果"

  ui::ListBox ListBox2{this, "ListBox2"};  // "条件与"
  ui::Button Button2{this, "Button2", "增加"};
  ui::Button Button10{this, "Button10", "删除"};
  ui::RadioGroup RadioGroup1{this, "RadioGroup1", "", {"与", "或"}};
  ui::ListBox ListBox3{this, "ListBox3"};  // "条件或"
  ui::Button Button11{this, "Button11", "增加"};
  ui::Button Button12{this, "Button12", "删除"};
  ui::Edit Edit1{this, "Edit1"};  // "条件表达式"
  QGroupBox* GroupBox3;           // its title is the mode: "字段名" or "字段值"
  ui::ListBox ListBox1{this, "ListBox1"};
  ui::RadioButton RadioButton1{this, "RadioButton1", "字段名"};
  ui::RadioButton RadioButton2{this, "RadioButton2", "字段值"};
  ui::Edit Edit2{this, "Edit2"};  // "数据库": the table of the condition being composed
  ui::CheckListBox CheckListBox4{this, "CheckListBox4"};
  ui::ListBox ListBox4{this, "ListBox4"};  // "运算符"
  ui::CheckListBox CheckListBox1{this, "CheckListBox1"};  // "选择查询字段"
  ui::Button Button17{this, "Button17", "全部选中"};
  ui::Button Button18{this, "Button18", "全部取消"};
  ui::Button Button23{this, "Button23", "设置排序字段"};
  ui::CheckListBox CheckListBox5{this, "CheckListBox5"};  // sort fields, ticked descending
  ui::Button Button22{this, "Button22", "删除"};
  ui::CheckListBox CheckListBox2{this, "CheckListBox2"};  // "选择统计字段"
  ui::Button Button15{this, "Button15", "全部选中"};
  ui::Button Button16{this, "Button16", "全部取消"};
  ui::CheckListBox CheckListBox3{this, "CheckListBox3"};  // "选择统计分类字段"
  ui::Button Button1{this, "Button1", "全部取消"};
  ui::Button Button5{this, "Button5", "进行查询"};
  ui::Button Button9{this, "Button9", "进行统计"};
  ui::Button Button4{this, "Button4", "返回"};

  ui::DBGrid DBGrid1{this, "DBGrid1"};
  ui::Memo Memo1{this, "Memo1"};
  ui::Button Button13{this, "Button13", "直接输入SQL语句操作数据库"};
  ui::Button Button3{this, "Button3", "行列交换"};
  ui::Button Button14{this, "Button14", "打印"};
  ui::Button Button20{this, "Button20", "存盘"};
  ui::Button Button8{this, "Button8", "返回"};

  db::Query Query1;
  db::DataSource DataSource1;

 private:
  void BuildConditionsPage();
  void BuildResultsPage();
  void BindHandlers();

  void FormActivate();
  void ListBox1Click();
  void ListBox1DblClick();
  void ConditionAdd(ui::ListBox& conditions, std::vector<std::string>& tables);
  void ConditionClick(ui::ListBox& conditions);
  void RadioButton1Click();
  void RadioButton2Click();
  void Button23Click();
  void Button5Click();
  void Button6Click();
  void Button13Click();
  void Button14Click();
  void Button20Click();
  void Button3Click();
  void DBGrid1DblClick();

  void ShowFieldNameMode();
  QueryChoices Choices() const;
  // Runs `lines` as the result's statement, shown in Memo1 first so that a
  // statement the engine refuses stays there for correction.
  void OpenStatement(const std::vector<std::string>& lines);
  void EnableResultButtons();
  // False, after telling the user, when no result is open to print, save or transpose.
  bool HasResult() const;

  mainunit::MainUnit& main_;
  QueryDictionary dictionary_;
  int loaded_kind_ = 0;
  std::string report_type_filter_;
  double grid_char_width_ = 1.0;
  bool value_mode_ = false;
  int value_field_ = -1;  // in value mode, the query field whose values ListBox1 shows
  std::vector<std::string> and_tables_;
  std::vector<std::string> or_tables_;
  std::unique_ptr<dbtool::TF_change_c> change_c_;
  std::unique_ptr<TF_query_p> query_p_;
};

}  // namespace veltra::query
