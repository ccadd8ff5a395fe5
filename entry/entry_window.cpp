#include "entry/entry_window.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QTabBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include "entry/change_r.h"
#include "mainunit/on_exit.h"
#include "platform/text/ascii.h"
#include "platform/ui/component.h"
#include "platform/ui/event_handler.h"
#include "platform/ui/ui_service.h"
#include "schema/schema.h"

namespace veltra::entry {

namespace {

constexpr int kEditsPerRow = 2;

QLabel* SectionTitle(QWidget* parent, const std::string& text) {
  auto* label = new QLabel(ui::ToQString(text), parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  // A heading over a narrow column of sections takes two lines.
  label->setWordWrap(true);
  return label;
}

// The fields of one section under one heading, sections in the order they
// first appear, fields in their order within each: a table may interleave
// two parallel sections (unit 1, unit 2) field by field.
std::vector<const schema::Placement*> GroupedBySection(std::vector<const schema::Placement*> places) {
  std::vector<std::string> order;
  for (const schema::Placement* place : places) {
    if (std::find(order.begin(), order.end(), place->section) == order.end()) order.push_back(place->section);
  }
  const auto rank = [&order](const schema::Placement* place) {
    return std::find(order.begin(), order.end(), place->section) - order.begin();
  };
  std::stable_sort(places.begin(), places.end(),
                   [&rank](const schema::Placement* a, const schema::Placement* b) { return rank(a) < rank(b); });
  return places;
}

}  // namespace

std::function<std::vector<QWidget*>(QWidget& page)> CoverHeading(std::string title, std::string subtitle) {
  return [title = std::move(title), subtitle = std::move(subtitle)](QWidget& page) {
    auto* heading = new QLabel(ui::ToQString(title), &page);
    QFont font = heading->font();
    font.setBold(true);
    font.setItalic(true);
    font.setPixelSize(20);
    heading->setFont(font);
    std::vector<QWidget*> lines{heading};
    if (!subtitle.empty()) lines.push_back(new QLabel(ui::ToQString(subtitle), &page));
    return lines;
  };
}

EntryWindow::EntryWindow(std::unique_ptr<EntryFrame> frame, EntryWindowParts parts)
    : ui::Form(parts.form_name), frame_(std::move(frame)), parts_(std::move(parts)) {
  SetClientSize(parts_.width, parts_.height);
  SetCentred(true);
  SetKeyPreview(true);
  SetFontHeight(14);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  PageControl1 = new ui::PageControl(this, "PageControl1");
  layout->addWidget(PageControl1, 1);
  const std::vector<PageDescription>& pages = frame_->Description().pages;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    auto* sheet = new ui::TabSheet(PageControl1, pages[i].name, pages[i].caption);
    TabSheets.push_back(sheet);
    if (pages[i].detail >= 0 && !pages[i].upper_grid.empty()) {
      detail_pages_.push_back(BuildDetailPage(*sheet, pages[i]));
    } else {
      BuildFormPage(*sheet, pages[i], i == 0);
    }
  }
  // A window of one scroll box has no tabs to pick.
  if (pages.size() == 1) PageControl1->tabBar()->hide();

  BuildToolBar();
  layout->addWidget(ToolBar1);
  ProgressBar1 = new ui::ProgressBar(this, "ProgressBar1");
  ProgressBar1->hide();
  layout->addWidget(ProgressBar1);
  StatusBar1 = new ui::StatusBar(this, "StatusBar1");
  layout->addWidget(StatusBar1);

  PageControl1->OnChange = [this] { PageControl1Change(); };
  StatusBar1->OnDblClick = [this] { StatusBar1DblClick(); };
  OnActivate = [this] { FormActivate(); };
  OnClose = [this](bool& allow) { FormClose(allow); };
  OnKeyPress = [this](int& key) { FormKeyPress(key); };
  frame_->OnViewChanged = [this] { ApplyView(); };
  frame_->OnProgress = [this] { ProgressBar1->SetPosition(frame_->View().progress.position); };
}

EntryWindow::~EntryWindow() {
  frame_->OnViewChanged = nullptr;
  frame_->OnProgress = nullptr;
}

ui::DBEdit* EntryWindow::EditOf(const std::string& field) const { return FindEdit(-1, field); }

ui::DBEdit* EntryWindow::DetailEditOf(int detail, const std::string& field) const { return FindEdit(detail, field); }

ui::DBMemo* EntryWindow::MemoOf(const std::string& field) const {
  for (const auto& [name, memo] : memos_) {
    if (text::EqualsIgnoreAsciiCase(name, field)) return memo;
  }
  return nullptr;
}

ui::DBEdit* EntryWindow::FindEdit(int detail, const std::string& field) const {
  for (const BoundEdit& bound : edits_) {
    if (bound.detail == detail && text::EqualsIgnoreAsciiCase(bound.field, field)) return bound.edit;
  }
  return nullptr;
}

void EntryWindow::BuildFormPage(ui::TabSheet& sheet, const PageDescription& page, bool cover) {
  const EntryDescription& description = frame_->Description();
  const int detail = page.detail;
  const std::string& file = detail < 0 ? description.master.file : description.details[detail].file;
  auto* outer = new QVBoxLayout(&sheet);
  auto* scroll = new QScrollArea(&sheet);
  scroll->setWidgetResizable(true);
  outer->addWidget(scroll);
  auto* content = new QWidget(scroll);
  scroll->setWidget(content);
  auto* column = new QVBoxLayout(content);
  if (cover && parts_.cover_heading) {
    for (QWidget* line : parts_.cover_heading(*content)) column->addWidget(line, 0, Qt::AlignHCenter);
  }
  std::vector<const schema::Placement*> places = GroupedBySection(schema::FindTable(file)->PlacementsOn(page.name));
  // What stands above a dividing line or beside the sections in columns.
  const FormLayout& form = parts_.form_layout;
  const auto figures = std::find_if(places.begin(), places.end(), [&form](const schema::Placement* place) {
    return !form.figures_from.empty() && text::EqualsIgnoreAsciiCase(place->field, form.figures_from);
  });
  const auto sections = std::find_if(places.begin(), figures, [&form](const schema::Placement* place) {
    return form.section_columns > 1 && !place->section.empty();
  });
  const std::vector<const schema::Placement*> head(places.begin(), sections);
  if (sections != figures) {
    auto* box = new QGroupBox(content);
    AddEdits(*box, *new QGridLayout(box), 0, kEditsPerRow, detail, head);
    column->addWidget(box);
    auto* columns = new QHBoxLayout();
    std::vector<std::pair<QGridLayout*, int>> stacks;  // each column's grid and its next row
    for (int i = 0; i < form.section_columns; ++i) {
      stacks.emplace_back(new QGridLayout(), 0);
      columns->addLayout(stacks.back().first, 1);
    }
    // One section a column; those beyond the last column stand under it.
    int section = -1;
    for (auto from = sections; from != figures;) {
      const auto to = std::find_if(from, figures, [from](const schema::Placement* p) { return p->section != (*from)->section; });
      auto& [grid, row] = stacks[std::min(++section, form.section_columns - 1)];
      row = AddEdits(*content, *grid, row, 1, detail, {from, to});
      from = to;
    }
    for (auto& [grid, row] : stacks) grid->setRowStretch(row, 1);
    column->addLayout(columns);
  } else {
    auto* grid = new QGridLayout();
    AddEdits(*content, *grid, 0, kEditsPerRow, detail, head);
    column->addLayout(grid);
  }
  if (figures != places.end()) {
    auto* line = new QFrame(content);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setObjectName("DividingLine");
    column->addWidget(line);
    auto* grid = new QGridLayout();
    AddEdits(*content, *grid, 0, form.figures_per_row, detail, {figures, places.end()});
    column->addLayout(grid);
  }
  column->addStretch(1);
}

int EntryWindow::AddEdits(QWidget& content, QGridLayout& grid, int row, int per_row, int detail,
                          const std::vector<const schema::Placement*>& places) {
  const EntryDescription& description = frame_->Description();
  const std::string& file = detail < 0 ? description.master.file : description.details[detail].file;
  const schema::TableDef* table = schema::FindTable(file);
  db::DataSource* source = detail < 0 ? &frame_->MasterSource() : &frame_->DetailSource(detail);
  std::string section;
  int column = 0;
  for (const schema::Placement* place : places) {
    if (place->section != section) {
      section = place->section;
      if (column != 0) ++row;
      column = 0;
      if (!section.empty()) grid.addWidget(SectionTitle(&content, section), row++, 0, 1, 2 * per_row);
    }
    auto* label = new QLabel(ui::ToQString(place->caption), &content);
    const int field = FindField(table->fields, place->field);
    if (field >= 0 && table->fields[field].type == FieldType::Memo) {
      // A memo takes a row of its own.
      if (column != 0) ++row;
      auto* memo = new ui::DBMemo(&content, "DBMemo_" + place->field);
      memo->SetDataSource(source);
      memo->SetDataField(place->field);
      memos_.emplace_back(place->field, memo);
      grid.addWidget(label, row, 0);
      grid.addWidget(memo, row++, 1, 1, 2 * per_row - 1);
      column = 0;
      continue;
    }
    const bool key = detail < 0 && text::EqualsIgnoreAsciiCase(place->field, description.master.key_field);
    auto* edit = new ui::DBEdit(&content, key ? "DBEdit1" : "DBEdit_" + place->field);
    if (key) {
      label->setObjectName("Label2");
      Label2 = label;
      DBEdit1 = edit;
      key_caption_ = label->text();
    }
    edit->SetDataSource(source);
    edit->SetDataField(place->field);
    edits_.push_back({place->field, detail, edit});
    grid.addWidget(label, row, 2 * column);
    grid.addWidget(edit, row, 2 * column + 1);
    if (++column == per_row) {
      column = 0;
      ++row;
    }
    const std::string& codes = table->CodesOf(place->field);
    if (!codes.empty()) {
      // The form prints the codes beside the edit; here they take a line of their own.
      if (column != 0) ++row;
      column = 0;
      // Users key codes from it: plain readable text, its wrapped lines spaced apart.
      auto* list = new QLabel(&content);
      list->setTextFormat(Qt::RichText);
      list->setText("<p style=\"line-height:130%\">" + ui::ToQString(place->caption + ": " + codes).toHtmlEscaped() + "</p>");
      list->setObjectName(ui::ToQString("Codes_" + place->field));
      list->setWordWrap(true);
      list->setTextInteractionFlags(Qt::TextSelectableByMouse);
      grid.addWidget(list, row++, 0, 1, 2 * per_row);
    }
  }
  return column != 0 ? row + 1 : row;
}

EntryWindow::DetailPage EntryWindow::BuildDetailPage(ui::TabSheet& sheet, const PageDescription& description) {
  const int detail = description.detail;
  auto* layout = new QVBoxLayout(&sheet);
  DetailPage page{detail, nullptr, nullptr, nullptr};
  if (!description.scope_box.empty()) {
    page.scope = new ui::ComboBox(&sheet, description.scope_box, {kScopeCurrent, kScopeAll});
    layout->addWidget(page.scope, 0, Qt::AlignLeft);
    page.scope->OnChange = [this, detail] { ScopeChange(detail); };
  }
  page.upper = new ui::DBGrid(&sheet, description.upper_grid);
  layout->addWidget(page.upper, 1);
  if (!description.lower_grid.empty()) {
    page.lower = new ui::DBGrid(&sheet, description.lower_grid);
    layout->addWidget(page.lower, 1);
  }
  const schema::TableDef* table = schema::FindTable(frame_->Description().details[detail].file);
  for (const schema::Placement* place : table->PlacementsOn(description.name)) {
    ui::DBGrid* grid = place->section == description.upper_grid || !page.lower ? page.upper : page.lower;
    grid->AddColumn(place->field, place->caption, place->width > 0 ? place->width : -1);
  }
  for (ui::DBGrid* grid : {page.upper, page.lower}) {
    if (grid) grid->SetDataSource(&frame_->DetailSource(detail));
  }
  return page;
}

ui::DBGrid* EntryWindow::Grid(const std::string& name) const {
  for (const DetailPage& page : detail_pages_) {
    for (ui::DBGrid* grid : {page.upper, page.lower}) {
      if (grid && grid->objectName().toStdString() == name) return grid;
    }
  }
  return nullptr;
}

void EntryWindow::FocusFirstCell() {
  for (DetailPage& page : detail_pages_) {
    if (&frame_->Detail(page.detail) != frame_->CurrentTable() || !page.upper->isVisible()) continue;
    // A new row is keyed in from its sequence number on.
    page.upper->SetSelectedColumn(0);
    page.upper->setFocus(Qt::OtherFocusReason);
  }
}

void EntryWindow::BuildToolBar() {
  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName("ToolBar1");
  // Eleven captioned buttons and the switch must fit the window's width.
  ToolBar1->setStyleSheet("QToolButton { padding: 0px 1px; }");
  QFont small = ToolBar1->font();
  small.setPixelSize(12);
  ToolBar1->setFont(small);
  const auto button = [this](const char* name, const char* caption, std::function<void()> click) {
    auto* b = new ui::ToolButton(ToolBar1, name, caption);
    if (parts_.tool_button_width > 0) b->setFixedWidth(parts_.tool_button_width);
    b->OnClick = [this, click = std::move(click)] {
      click();
      frame_->UpdateStatusBar();
    };
    return b;
  };
  const ToolBarButtons& offer = frame_->Description().tool_bar;
  if (offer.navigation) {
    button("ToolButton1", "上一记录", [this] { frame_->Prior(); });
    button("ToolButton2", "下一记录", [this] { frame_->Next(); });
    button("ToolButton3", "记录头", [this] { frame_->First(); });
    button("ToolButton4", "记录尾", [this] { frame_->Last(); });
  }
  if (offer.insert) {
    ToolButton5 = button("ToolButton5", "插入记录", [this] {
      frame_->InsertRecord();
      FocusFirstCell();
    });
  }
  button("ToolButton6", "删除记录", [this] { frame_->DeleteRecord(); });
  button("ToolButton7", "存盘", [this] { frame_->SaveRecord(); });
  button("ToolButton8", "取消修改", [this] { frame_->CancelChanges(); });
  if (parts_.import_submission) ToolButton11 = button("ToolButton11", "数据入库", parts_.import_submission);
  if (offer.append) ToolButton9 = button("ToolButton9", "数据追加", [this] { frame_->AppendFromFiles(); });
  button("ToolButton10", "返回", [this] { Close(); });
  if (!offer.validation_switch) return;
  auto* panel = new QWidget(ToolBar1);
  panel->setObjectName("Panel2");
  auto* panel_layout = new QVBoxLayout(panel);
  panel_layout->setContentsMargins(4, 0, 0, 0);
  ComboBox1 = new ui::ComboBox(panel, "ComboBox1", {kValidationOn, kValidationOff});
  panel_layout->addWidget(ComboBox1);
  ToolBar1->addWidget(panel);
  ComboBox1->OnChange = [this] { frame_->SetValidation(ComboBox1->ItemIndex() == 0); };
}

void EntryWindow::ApplyView() {
  const EntryViewState& view = frame_->View();
  for (std::size_t i = 1; i < TabSheets.size(); ++i) TabSheets[i]->SetTabVisible(view.master_pages_shown);
  PageControl1->SetActivePage(TabSheets[view.page]);
  const EntryDescription& description = frame_->Description();
  if (DBEdit1 != nullptr) {
    const std::string& read_only = description.read_only_key_caption;
    Label2->setText(view.key_editable || read_only.empty() ? key_caption_ : ui::ToQString(read_only));
    DBEdit1->setEnabled(view.key_editable);
  }
  for (int i = 0; i < frame_->DetailCount(); ++i) {
    if (ui::DBEdit* key = DetailEditOf(i, description.details[i].sequence_field)) {
      key->setEnabled(view.detail_key_editable[i]);
    }
  }
  if (ToolButton5 != nullptr) ToolButton5->setEnabled(view.insert_enabled);
  if (ToolButton9 != nullptr) ToolButton9->setEnabled(view.append_enabled);
  for (DetailPage& page : detail_pages_) {
    const bool all = view.scopes[page.detail] == DetailScope::AllEnterprises;
    if (page.scope) page.scope->SetItemIndex(all ? 1 : 0);
    for (ui::DBGrid* grid : {page.upper, page.lower}) {
      if (grid) grid->SetReadOnly(all);
    }
  }
  ProgressBar1->setVisible(view.progress.visible);
  ProgressBar1->SetMax(view.progress.maximum);
  ProgressBar1->SetPosition(view.progress.position);
  TabSheets[0]->setCursor(view.busy ? Qt::WaitCursor : Qt::ArrowCursor);
  StatusBar1->SetSimpleText(view.status);
  ApplyOwnView();
}

void EntryWindow::FormActivate() {
  if (!frame_->Master().Active() && ui::Ui().ScreenWidth() < 801) move(0, 0);
  bool set_up = false;
  if (!ui::RunHandler([&] { set_up = frame_->Activate(); })) {
    // The error is shown; a window without its tables is of no use.
    Close();
    return;
  }
  if (set_up && ComboBox1 != nullptr) ComboBox1->SetItemIndex(0);
  ApplyView();
}

void EntryWindow::FormClose(bool& allow) {
  allow = ui::RunHandler([this] { frame_->Close(); });
}

void EntryWindow::PageControl1Change() {
  for (std::size_t i = 0; i < TabSheets.size(); ++i) {
    if (TabSheets[i] != PageControl1->ActivePage()) continue;
    // The tab has turned already: a refused page turns it back.
    if (!ui::RunHandler([this, i] { frame_->ShowPage(static_cast<int>(i)); })) ApplyView();
    return;
  }
}

void EntryWindow::ScopeChange(int detail) {
  DetailPage& page = *std::find_if(detail_pages_.begin(), detail_pages_.end(),
                                   [detail](const DetailPage& p) { return p.detail == detail; });
  const DetailScope scope = page.scope->ItemIndex() == 1 ? DetailScope::AllEnterprises : DetailScope::CurrentEnterprise;
  // The grids are detached while the link changes under them.
  const auto attach = [&page](db::DataSource* source) {
    for (ui::DBGrid* grid : {page.upper, page.lower}) {
      if (grid) grid->SetDataSource(source);
    }
  };
  attach(nullptr);
  mainunit::OnExit reattach([&attach, this, detail] { attach(&frame_->DetailSource(detail)); });
  frame_->SetDetailScope(detail, scope);
}

void EntryWindow::StatusBar1DblClick() {
  frame_->LocateDialog([this] {
    if (parts_.locate_dialog) {
      parts_.locate_dialog();
      return;
    }
    if (!f_change_r_) f_change_r_ = std::make_unique<TF_change_r>(frame_->Main());
    f_change_r_->ShowModal();
  });
}

void EntryWindow::FormKeyPress(int& key) {
  if (key != 13) return;
  QWidget* focus = focusWidget();
  // Enter in a memo starts a new line of its text.
  if (qobject_cast<ui::DBMemo*>(focus) != nullptr) return;
  key = 0;
  for (DetailPage& page : detail_pages_) {
    if (page.upper->Focused()) {
      if (!page.upper->SelectNextColumn() && page.lower) {
        page.lower->SetSelectedColumn(0);
        page.lower->setFocus(Qt::TabFocusReason);
      }
      return;
    }
    if (page.lower && page.lower->Focused()) {
      page.lower->SelectNextColumn();
      return;
    }
  }
  FocusNextControl();
}

}  // namespace veltra::entry
