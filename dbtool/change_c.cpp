#include "dbtool/change_c.h"

#include <QFont>
#include <QLabel>
#include <stdexcept>

#include "dbtool/whole_number.h"

namespace veltra::dbtool {
namespace {

constexpr int kEnter = 13;

int ParseWidth(const std::string& text) {
  const int value = ParseWholeNumber(text);
  if (value < 1) throw std::invalid_argument("列宽至少为1个字符，不能是" + text);
  return value;
}

}  // namespace

TF_change_c::TF_change_c() : Form("F_change_c") {
  SetCaption("修改列宽度");
  SetClientSize(265, 151);
  SetCentred(true);
  SetFontHeight(14);
  auto* title_label = new QLabel("请修改字段名", this);
  auto* width_label = new QLabel("请修改列宽度", this);
  title_label->setGeometry(16, 20, 90, 20);
  width_label->setGeometry(16, 60, 90, 20);
  Edit1.setGeometry(110, 18, 135, 22);
  Edit2.setGeometry(110, 58, 135, 22);
  Button1.setGeometry(40, 105, 75, 25);
  Button2.setGeometry(150, 105, 75, 25);

  OnActivate = [this] { FormActivate(); };
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Close(); };
  Edit1.OnKeyDown = [this](int key) { EditKeyDown(key); };
  Edit2.OnKeyDown = [this](int key) { EditKeyDown(key); };
}

void TF_change_c::EditColumn(ui::GridColumn& column, double char_width) {
  EditedColumn = &column;
  GridCharWidth = char_width;
  ShowModal();
}

void TF_change_c::FormActivate() {
  if (!EditedColumn) return;
  Edit1.SetText(EditedColumn->Title());
  Edit2.SetText(std::to_string(EditedColumn->WidthInChars(GridCharWidth)));
}

void TF_change_c::Button1Click() {
  EditedColumn->SetTitle(Edit1.Text());
  EditedColumn->SetWidthInChars(ParseWidth(Edit2.Text()), GridCharWidth);
  Close();
}

void TF_change_c::EditKeyDown(int key) {
  if (key == kEnter) Button1Click();
}

}  // namespace veltra::dbtool
