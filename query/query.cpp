#include "query/query.h"

#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

#include "dbtool/save_data_set_as_table.h"
#include "dbtool/statement_runner.h"
#include "dbtool/transpose.h"
#include "mainunit/on_exit.h"
#include "platform/ui/message_box.h"
#include "dbtool/change_c.h"
#include "dbtool/grid_layout.h"
#include "query/query_p.h"

namespace veltra::query {
namespace {

constexpr int kNarrowScreen = 800;
constexpr int kMemoMinimumHeight = 46;
constexpr int kNarrowButton = 40;
const char* const kFieldNameMode = "字段名";
const char* const kValueMode = "字段值";
const char* const kTransposedStatement = "Select * from hljh.db";

const std::vector<std::string> kOperators = {"+", "-", "*", "/", "=", ">=", "<=", "<", ">", "<>", "like '%匹配字符%'"};

QGroupBox* Group(QWidget* parent, const char* title, std::initializer_list<QWidget*> lists,
                 std::initializer_list<QWidget*> buttons = {}) {
  auto* box = new QGroupBox(QString::fromUtf8(title), parent);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(4, 2, 4, 4);
  layout->setSpacing(2);
  for (QWidget* list : lists) layout->addWidget(list, 1);
  if (buttons.size() > 0) {
    auto* row = new QHBoxLayout;
    for (QWidget* button : buttons) {
      // Narrower than the style's wish, so that the page fits the window's 640 pixels.
      button->setMinimumWidth(kNarrowButton);
      row->addWidget(button);
    }
    layout->addLayout(row);
  }
  return box;
}

QLabel* Label(QWidget* parent, const char* text) { return new QLabel(QString::fromUtf8(text), parent); }

// The visible lists show the whole clicked entry as a hint.
void ShowHint(ui::ListBox& list) { list.setToolTip(QString::fromStdString(list.Item(list.ItemIndex()))); }

void TickAll(ui::CheckListBox& list, bool ticked) {
  for (int i = 0; i < list.Count(); ++i) list.SetChecked(i, ticked);
}

std::vector<int> Ticked(const ui::CheckListBox& list) {
  std::vector<int> ticked;
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Checked(i)) ticked.push_back(i);
  }
  return ticked;
}

void Fill(ui::ListBox& list, const std::vector<DictionaryField>& fields) {
  list.Clear();
  for (const DictionaryField& field : fields) list.Add(field.caption);
}

// Deletes the selected entry (and its stored table) and selects the entry
// now at its place, or the new last one.
void DeleteSelected(ui::ListBox& list, std::vector<std::string>* tables = nullptr) {
  const int i = list.ItemIndex();
  if (i < 0) return;
  list.Delete(i);
  if (tables) tables->erase(tables->begin() + i);
  list.SetItemIndex(list.Count() > i ? i : list.Count() - 1);
  list.setFocus();
}

std::vector<Condition> Conditions(const ui::ListBox& list, const std::vector<std::string>& tables) {
  std::vector<Condition> conditions;
  for (int i = 0; i < list.Count(); ++i) conditions.push_back({list.Item(i), tables.at(i)});
  return conditions;
}

// A statement the builder cannot form is the user's to correct, not a fault.
template <typename Build>
bool Built(std::vector<std::string>& lines, Build build) {
  try {
    lines = build();
    return true;
  } catch (const StatementRefused& refused) {
    ui::ShowNotice(refused.what(), "错误窗口", ui::MessageKind::Error);
    return false;
  }
}

}  // namespace

TF_query::TF_query(mainunit::MainUnit& main) : Form("F_query"), Query1(main.Database1), main_(main) {
  SetCaption("查询统计");
  SetClientSize(640, 431);
  SetCentred(true);
  setFont(ui::SongFont(12));
  TabSheet1 = new ui::TabSheet(&PageControl1, "TabSheet1", "选择查询统计条件");
  TabSheet2 = new ui::TabSheet(&PageControl1, "TabSheet2", "查询统计结果");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(&PageControl1);
  BuildConditionsPage();
  BuildResultsPage();
  PageControl1.SetActivePage(TabSheet1);
  BindHandlers();
}

TF_query::~TF_query() = default;

void TF_query::BuildConditionsPage() {
  QWidget* page = TabSheet1;
  for (const std::string& op : kOperators) ListBox4.Add(op);
  RadioGroup1.SetItemIndex(0);

  auto* conditions = new QHBoxLayout;
  conditions->addWidget(Group(page, "条件与", {&ListBox2}, {&Button2, &Button10}), 1);
  conditions->addWidget(&RadioGroup1);
  conditions->addWidget(Group(page, "条件或", {&ListBox3}, {&Button11, &Button12}), 1);

  GroupBox3 = Group(page, kFieldNameMode, {&ListBox1});
  auto* modes = new QHBoxLayout;
  modes->addWidget(&RadioButton1);
  modes->addWidget(&RadioButton2);
  static_cast<QVBoxLayout*>(GroupBox3->layout())->addLayout(modes);
  RadioButton1.setChecked(true);
  auto* tables = new QVBoxLayout;
  tables->addWidget(Label(page, "数据库"));
  tables->addWidget(&Edit2);
  tables->addWidget(&CheckListBox4, 1);
  auto* composing = new QHBoxLayout;
  composing->addWidget(GroupBox3, 3);
  composing->addLayout(tables, 3);
  composing->addWidget(Group(page, "运算符", {&ListBox4}), 2);

  auto* left = new QVBoxLayout;
  left->addLayout(conditions, 2);
  left->addWidget(Label(page, "条件表达式"));
  left->addWidget(&Edit1);
  left->addLayout(composing, 3);

  auto* middle = new QVBoxLayout;
  middle->addWidget(Group(page, "选择查询字段", {&CheckListBox1}, {&Button17, &Button18}), 3);
  middle->addWidget(&Button23);
  middle->addWidget(Group(page, "升序排序(打\"√\"降序)", {&CheckListBox5}, {&Button22}), 2);

  auto* right = new QVBoxLayout;
  right->addWidget(Group(page, "选择统计字段", {&CheckListBox2}, {&Button15, &Button16}), 1);
  right->addWidget(Group(page, "选择统计分类字段", {&CheckListBox3}, {&Button1}), 1);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 5);
  columns->addLayout(middle, 2);
  columns->addLayout(right, 2);
  auto* actions = new QHBoxLayout;
  actions->addStretch();
  for (ui::Button* button : {&Button5, &Button9, &Button4}) actions->addWidget(button);
  actions->addStretch();
  auto* whole = new QVBoxLayout(page);
  whole->setContentsMargins(4, 4, 4, 4);
  whole->addLayout(columns, 1);
  whole->addLayout(actions);
}

void TF_query::BuildResultsPage() {
  QWidget* page = TabSheet2;
  auto* splitter = new QSplitter(Qt::Vertical, page);
  DBGrid1.setParent(splitter);
  Memo1.setParent(splitter);
  Memo1.setMinimumHeight(kMemoMinimumHeight);
  Memo1.setLineWrapMode(QPlainTextEdit::NoWrap);
  splitter->setCollapsible(1, false);
  splitter->setSizes({330, kMemoMinimumHeight});
  DBGrid1.setFont(ui::SongFont(12));
  DBGrid1.SetReadOnly(true);
  DBGrid1.SetDataSource(&DataSource1);
  DataSource1.SetDataSet(&Query1);
  auto* buttons = new QHBoxLayout;
  for (ui::Button* button : {&Button13, &Button3, &Button14, &Button20, &Button8}) buttons->addWidget(button);
  Button3.setEnabled(false);
  Button20.setEnabled(false);
  auto* whole = new QVBoxLayout(page);
  whole->setContentsMargins(2, 2, 2, 2);
  whole->addWidget(splitter, 1);
  whole->addLayout(buttons);
}

void TF_query::BindHandlers() {
  OnActivate = [this] { FormActivate(); };
  ListBox1.OnClick = [this] { ListBox1Click(); };
  ListBox1.OnDblClick = [this] { ListBox1DblClick(); };
  ListBox4.OnClick = [this] { ShowHint(ListBox4); };
  ListBox4.OnDblClick = [this] { Edit1.SetText(Edit1.Text() + ListBox4.Item(ListBox4.ItemIndex()) + " "); };
  Button2.OnClick = [this] { ConditionAdd(ListBox2, and_tables_); };
  Button11.OnClick = [this] { ConditionAdd(ListBox3, or_tables_); };
  Button10.OnClick = [this] { DeleteSelected(ListBox2, &and_tables_); };
  Button12.OnClick = [this] { DeleteSelected(ListBox3, &or_tables_); };
  ListBox2.OnClick = [this] { ConditionClick(ListBox2); };
  ListBox3.OnClick = [this] { ConditionClick(ListBox3); };
  RadioButton1.OnClick = [this] { RadioButton1Click(); };
  RadioButton2.OnClick = [this] { RadioButton2Click(); };
  Button17.OnClick = [this] { TickAll(CheckListBox1, true); };
  Button18.OnClick = [this] { TickAll(CheckListBox1, false); };
  Button15.OnClick = [this] { TickAll(CheckListBox2, true); };
  Button16.OnClick = [this] { TickAll(CheckListBox2, false); };
  Button1.OnClick = [this] { TickAll(CheckListBox3, false); };
  Button23.OnClick = [this] { Button23Click(); };
  Button22.OnClick = [this] { DeleteSelected(CheckListBox5); };
  for (ui::CheckListBox* list : {&CheckListBox1, &CheckListBox2, &CheckListBox3, &CheckListBox5}) {
    list->OnClick = [list] { ShowHint(*list); };
    list->OnDblClick = [list] { list->ToggleCurrent(); };
  }
  Button5.OnClick = [this] { Button5Click(); };
  Button9.OnClick = [this] { Button6Click(); };
  Button4.OnClick = [this] { Close(); };
  Button13.OnClick = [this] { Button13Click(); };
  Button14.OnClick = [this] { Button14Click(); };
  Button20.OnClick = [this] { Button20Click(); };
  Button3.OnClick = [this] { Button3Click(); };
  Button8.OnClick = [this] { Close(); };
  DBGrid1.OnDblClick = [this] { DBGrid1DblClick(); };
}

void TF_query::FormActivate() {
  const int kind = main_.ReportKind;
  if (kind == loaded_kind_) return;
  // Read whole before anything changes: a load that fails leaves the
  // window as it was and the next activation tries again.
  QueryDictionary loaded = LoadQueryDictionary(main_.Database1, kind, main_.DataDirPrefix, main_.CaptionSuffix);
  if (ui::Ui().ScreenWidth() < kNarrowScreen) move(0, 0);
  loaded_kind_ = kind;
  report_type_filter_ = QueryReportTypeFilter(kind);
  grid_char_width_ = dbtool::GridCharWidthOf(DBGrid1);
  SetCaption(loaded.caption);
  dictionary_ = std::move(loaded);

  ShowFieldNameMode();
  Fill(ListBox1, dictionary_.query_fields);
  Fill(CheckListBox1, dictionary_.query_fields);
  Fill(CheckListBox2, dictionary_.sum_fields);
  Fill(CheckListBox3, dictionary_.group_fields);
  CheckListBox4.Clear();
  for (const std::string& table : dictionary_.tables) CheckListBox4.Add(table);
  CheckListBox5.Clear();
  ListBox1.SetItemIndex(0);
  Button9.setEnabled(!dictionary_.sum_fields.empty());
  PageControl1.SetActivePage(TabSheet1);
}

void TF_query::ShowFieldNameMode() {
  value_mode_ = false;
  GroupBox3->setTitle(QString::fromUtf8(kFieldNameMode));
  RadioButton1.setChecked(true);
}

void TF_query::ListBox1Click() {
  ShowHint(ListBox1);
  const int i = ListBox1.ItemIndex();
  if (!value_mode_ && i >= 0) Edit2.SetText(dictionary_.query_fields.at(i).table);
}

void TF_query::ListBox1DblClick() {
  const int i = ListBox1.ItemIndex();
  if (i < 0) return;
  if (value_mode_) {
    Edit1.SetText(Edit1.Text() + ListBox1.Item(i) + " ");
    return;
  }
  const DictionaryField& field = dictionary_.query_fields.at(i);
  Edit2.SetText(field.table);
  Edit1.SetText(Edit1.Text() + field.field_name + " ");
}

void TF_query::ConditionAdd(ui::ListBox& conditions, std::vector<std::string>& tables) {
  if (Edit1.Text().empty()) return;
  conditions.Add(Edit1.Text());
  tables.push_back(Edit2.Text());
}

void TF_query::ConditionClick(ui::ListBox& conditions) {
  ShowHint(conditions);
  Edit1.SetText(conditions.Item(conditions.ItemIndex()));
}

void TF_query::RadioButton2Click() {
  // The radio buttons always show the mode the list is in, also when the values cannot be read.
  const mainunit::OnExit show_mode([this] { (value_mode_ ? RadioButton2 : RadioButton1).setChecked(true); });
  const int i = ListBox1.ItemIndex();
  if (value_mode_ || i < 0) return;
  const std::vector<std::string> values = ReadFieldValues(main_.Database1, dictionary_.query_fields.at(i));
  value_field_ = i;
  value_mode_ = true;
  GroupBox3->setTitle(QString::fromUtf8(kValueMode));
  ListBox1.Clear();
  for (const std::string& value : values) ListBox1.Add(value);
}

void TF_query::RadioButton1Click() {
  if (!value_mode_) return;
  ShowFieldNameMode();
  Fill(ListBox1, dictionary_.query_fields);
  ListBox1.SetItemIndex(value_field_);
}

void TF_query::Button23Click() {
  const int i = CheckListBox1.ItemIndex();
  if (i < 0) return;
  CheckListBox1.SetChecked(i, true);
  CheckListBox5.Add(CheckListBox1.Item(i));
}

QueryChoices TF_query::Choices() const {
  QueryChoices choices;
  choices.dictionary = &dictionary_;
  choices.query_ticks = Ticked(CheckListBox1);
  choices.sum_ticks = Ticked(CheckListBox2);
  choices.group_ticks = Ticked(CheckListBox3);
  for (const int i : Ticked(CheckListBox4)) choices.ticked_tables.push_back(CheckListBox4.Item(i));
  choices.and_conditions = Conditions(ListBox2, and_tables_);
  choices.or_conditions = Conditions(ListBox3, or_tables_);
  choices.or_between_groups = RadioGroup1.ItemIndex() == 1;
  for (int k = 0; k < CheckListBox5.Count(); ++k) choices.sort.push_back({CheckListBox5.Item(k), CheckListBox5.Checked(k)});
  choices.report_type_filter = report_type_filter_;
  return choices;
}

void TF_query::Button5Click() {
  std::vector<std::string> lines;
  if (Built(lines, [this] { return BuildQueryStatement(Choices()); })) OpenStatement(lines);
}

void TF_query::Button6Click() {
  std::vector<std::string> lines;
  if (!Built(lines, [this] { return BuildTotalsStatement(Choices()); })) return;
  if (lines.empty()) {
    // Nothing to total: the previous result closes and the result page shows.
    Query1.SQL.Clear();
    PageControl1.SetActivePage(TabSheet2);
    return;
  }
  OpenStatement(lines);
}

void TF_query::OpenStatement(const std::vector<std::string>& lines) {
  Query1.SQL.Clear();
  for (const std::string& line : lines) Query1.SQL.Add(line);
  Memo1.SetLines(lines);
  Query1.Open();
  EnableResultButtons();
  PageControl1.SetActivePage(TabSheet2);
}

void TF_query::EnableResultButtons() {
  Button20.setEnabled(true);
  Button3.setEnabled(true);
}

void TF_query::Button13Click() {
  Query1.SQL.Clear();
  for (const std::string& line : Memo1.Lines()) Query1.SQL.Add(line);
  const dbtool::StatementOutcome outcome = dbtool::RunStatement(Query1);
  if (!outcome.has_rows) {
    ui::ShowNotice(dbtool::RowsChangedNotice(outcome.rows_changed), dbtool::kStatementNoticeTitle);
    return;
  }
  EnableResultButtons();
}

bool TF_query::HasResult() const {
  if (Query1.Active()) return true;
  ui::ShowNotice("没有查询统计结果：请先进行查询或统计", "提示窗口");
  return false;
}

void TF_query::Button14Click() {
  if (!HasResult()) return;
  // The open printout holds query_p.db: it closes before the file is written again.
  if (query_p_ && query_p_->isVisible() && !query_p_->Close()) return;
  const dbtool::GridColumns columns = dbtool::GridLayout(DBGrid1, grid_char_width_);
  dbtool::SaveDataSetAsTable(main_.Database1, Query1, &columns, dbtool::kPrintoutTable);
  if (!query_p_) query_p_ = std::make_unique<TF_query_p>(main_.Database1);
  query_p_->Show();
}

void TF_query::Button20Click() {
  if (!HasResult()) return;
  main_.SaveDialog1.title = "请选择存盘文件名";
  if (!main_.SaveDialog1.Execute()) return;
  const dbtool::GridColumns columns = dbtool::GridLayout(DBGrid1, grid_char_width_);
  dbtool::SaveDataSetAsTable(main_.Database1, Query1, &columns, main_.SaveDialog1.file_name);
}

void TF_query::Button3Click() {
  if (!HasResult()) return;
  dbtool::TransposeToTable(main_.Database1, Query1);
  Query1.SQL.Clear();
  Query1.SQL.Add(kTransposedStatement);
  Query1.Open();
}

void TF_query::DBGrid1DblClick() {
  const int column = DBGrid1.SelectedColumn();
  if (column < 0 || column >= DBGrid1.ColumnCount()) return;
  if (!change_c_) change_c_ = std::make_unique<dbtool::TF_change_c>();
  change_c_->EditColumn(DBGrid1.Column(column), grid_char_width_);
}

}  // namespace veltra::query
