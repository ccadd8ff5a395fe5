#include "query/query_p.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/print/page_output.h"
#include "dbtool/whole_number.h"
#include "query/bt_p.h"
#include "query/printout_tables.h"

namespace veltra::query {
namespace {

constexpr int kEnter = 13;
constexpr int kDefaultSize = 11;
constexpr double kPreviewDpi = 96;
const char* const kDefaultFont = "宋体";

void AddLabelled(QHBoxLayout* row, QWidget* parent, const char* label, QWidget* control) {
  if (label) row->addWidget(new QLabel(QString::fromUtf8(label), parent));
  row->addWidget(control);
}

// Page numbers run to five digits; a page box shows them whole however
// crowded its row.
void HoldPageNumbers(QLineEdit& edit) {
  const int frame = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit);
  const QMargins text = edit.textMargins();
  // Qt's line edit keeps 2 pixels beside its text, and room for the cursor.
  constexpr int kLineEditMargins = 2 * 2 + 1;
  edit.setMinimumWidth(edit.fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 2 * frame + text.left() +
                       text.right() + kLineEditMargins);
}

void FillFonts(ui::ComboBox& box) {
  box.clear();
  QStringList families = QFontDatabase::families();
  const QString wanted = QString::fromUtf8(kDefaultFont);
  if (!families.contains(wanted)) families.prepend(wanted);
  box.addItems(families);
  box.setCurrentText(wanted);
}

void FillSizes(ui::ComboBox& box) {
  box.clear();
  for (int size = 0; size <= kLargestFontSize; ++size) box.addItem(QString::number(size));
  box.SetItemIndex(kDefaultSize);
}

print::Font ChosenFont(const ui::ComboBox& family, const ui::ComboBox& size) {
  return {family.currentText(), static_cast<double>(size.ItemIndex() < 0 ? kDefaultSize : size.ItemIndex())};
}

}  // namespace

TF_query_p::TF_query_p(db::Database& database) : Form("F_query_p"), database_(database), Table1(database) {
  SetCaption("F_query_p");
  SetClientSize(900, 640);
  SetCentred(true);
  auto* top = new QHBoxLayout;
  AddLabelled(top, this, "标题文字", &Edit4);
  AddLabelled(top, this, "字体", &ComboBox3);
  AddLabelled(top, this, "大小", &ComboBox4);
  AddLabelled(top, this, "对齐", &ComboBox5);
  AddLabelled(top, this, nullptr, &CheckBox3);
  AddLabelled(top, this, nullptr, &Button7);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName("ScrollBox1");
  Image1 = new QLabel;
  Image1->setObjectName("Image1");
  scroll->setWidget(Image1);
  auto* bottom = new QHBoxLayout;
  AddLabelled(bottom, this, "字体", &ComboBox1);
  AddLabelled(bottom, this, "大小", &ComboBox2);
  for (QWidget* control : std::initializer_list<QWidget*>{&CheckBox1, &CheckBox2, &Button2, &Button1, &Button3,
                                                          &Edit3, &Button4, &Button5}) {
    bottom->addWidget(control);
  }
  AddLabelled(bottom, this, "页码", &Edit1);
  bottom->addWidget(&Edit2);
  for (ui::Edit* pages : {&Edit1, &Edit2, &Edit3}) HoldPageNumbers(*pages);
  bottom->addWidget(&Button6);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(scroll, 1);
  layout->addLayout(bottom);
  CheckBox1.setChecked(true);
  CheckBox2.setChecked(true);
  Table1.SetTableName("query_p.db");
  FormCreate();

  OnActivate = [this] { FormActivate(); };
  OnClose = [this](bool&) { Table1.Close(); };
  const auto relayout_to_first = [this] { Relayout(true); };
  const auto relayout_here = [this] { Relayout(false); };
  Button1.OnClick = relayout_to_first;
  Button2.OnClick = [this] { Button2Click(); };
  Button3.OnClick = [this] { ShowPage(current_ - 1); };
  Button4.OnClick = [this] { ShowPage(current_ + 1); };
  Button5.OnClick = [this] { Button5Click(); };
  Button6.OnClick = [this] { Close(); };
  Button7.OnClick = [this] { Button7Click(); };
  ComboBox2.OnChange = relayout_to_first;
  ComboBox4.OnChange = relayout_to_first;
  CheckBox3.OnClick = relayout_to_first;
  // Fonts, alignment and rules keep the page being looked at.
  ComboBox1.OnChange = relayout_here;
  ComboBox3.OnChange = relayout_here;
  ComboBox5.OnChange = relayout_here;
  CheckBox1.OnClick = relayout_here;
  CheckBox2.OnClick = relayout_here;
  // A title added or taken away changes the pages' height: they are laid
  // out anew from the first. Another title keeps the page shown.
  Edit4.OnKeyDown = [this](int key) {
    if (key == kEnter) Relayout(Edit4.Text().empty() != printout_.Style().title.empty());
  };
  Edit3.OnKeyDown = [this](int key) { Edit3KeyDown(key); };
}

TF_query_p::~TF_query_p() = default;

void TF_query_p::FormCreate() {
  FillFonts(ComboBox1);
  FillFonts(ComboBox3);
  FillSizes(ComboBox2);
  FillSizes(ComboBox4);
  ComboBox5.SetItemIndex(static_cast<int>(TitleAlignment::Centre));
}

void TF_query_p::FormActivate() {
  Table1.Close();
  Table1.Open();
  const PrintoutTitle title = ReadPrintoutTitle(database_);
  Edit4.SetText(title.text);
  if (title.alignment) ComboBox5.SetItemIndex(static_cast<int>(*title.alignment));
  if (title.title_size) ComboBox4.SetItemIndex(*title.title_size);
  if (title.body_size) ComboBox2.SetItemIndex(*title.body_size);
  Relayout(true);
}

PrintoutStyle TF_query_p::ChosenStyle() const {
  PrintoutStyle style;
  style.title = Edit4.Text();
  // An alignment the settings do not know leaves the title centred.
  if (ComboBox5.ItemIndex() >= 0) style.alignment = static_cast<TitleAlignment>(ComboBox5.ItemIndex());
  style.title_font = ChosenFont(ComboBox3, ComboBox4);
  style.body_font = ChosenFont(ComboBox1, ComboBox2);
  style.horizontal_rules = CheckBox1.isChecked();
  style.vertical_rules = CheckBox2.isChecked();
  style.fixed_left_column = CheckBox3.isChecked();
  return style;
}

void TF_query_p::Relayout(bool to_first) {
  if (!Table1.Active()) return;  // the lists are being filled before the first activation
  const int field_count = static_cast<int>(Table1.FieldLayout().size());
  // Only the records of a page being drawn are read, when it is drawn.
  const RecordTexts records = [this](int index) {
    const FieldDefs& fields = Table1.FieldLayout();
    const db::Row& record = Table1.RecordAt(static_cast<std::size_t>(index));
    std::vector<std::string> texts;
    texts.reserve(fields.size());
    for (std::size_t f = 0; f < fields.size(); ++f) texts.push_back(CellText(fields[f], record[f]));
    return texts;
  };
  printout_ = QueryPrintout(PrinterSetup.page, ChosenStyle(), ReadPrintColumns(database_, field_count),
                            Table1.RecordCount(), records);
  const int pages = printout_.PageCount();
  Edit1.SetText("1");
  Edit2.SetText(std::to_string(pages));
  if (to_first || current_ >= pages) current_ = 0;
  DrawPage();
}

void TF_query_p::DrawPage() {
  if (printout_.PageCount() == 0) return;
  shown_ = printout_.Draw(current_, current_);
  const QImage page = print::RenderPageImage(shown_, 0, kPreviewDpi);
  Image1->setPixmap(QPixmap::fromImage(page));
  Image1->resize(page.size());
  Edit3.SetText(std::to_string(current_ + 1));
}

void TF_query_p::ShowPage(int index) {
  if (index < 0 || index >= printout_.PageCount()) return;
  current_ = index;
  DrawPage();
}

void TF_query_p::Edit3KeyDown(int key) {
  if (key == kEnter) ShowPage(dbtool::ParseWholeNumber(Edit3.Text()) - 1);
}

void TF_query_p::Button2Click() {
  const auto choice = print::AskPrintSetup(PrinterSetup.page, true, this);
  if (!choice) return;
  PrinterSetup = *choice;
  Relayout(true);
}

void TF_query_p::Button5Click() {
  const int from = dbtool::ParseWholeNumber(Edit1.Text());
  const int to = dbtool::ParseWholeNumber(Edit2.Text());
  const auto range = PrintRange(from, to, printout_.PageCount());
  if (!range) return;
  if (PrinterSetup.target.printer_name.isEmpty() && !PrinterSetup.target.ToPdf()) {
    const auto choice = print::AskPrintSetup(PrinterSetup.page, false, this);
    if (!choice) return;
    PrinterSetup.target = choice->target;
  }
  print::PrintDocument(printout_.Draw(range->first, range->last), PrinterSetup.target);
}

void TF_query_p::Button7Click() {
  if (!F_bt_p) F_bt_p = std::make_unique<TF_bt_p>(database_);
  F_bt_p->ShowModal();
  Relayout(true);
}

}  // namespace veltra::query
