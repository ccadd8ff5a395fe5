#include "entry/change_r.h"

namespace veltra::entry {

LocateDialogBase::LocateDialogBase(mainunit::MainUnit& main, const std::string& name, int width, int height)
    : ui::Form(name), main_(main) {
  SetCaption("定位记录");
  SetClientSize(width, height);
  setFixedSize(width, height);
  SetCentred(true);
  SetFontHeight(14);
  Edit1 = new ui::Edit(this, "Edit1");
  Edit1->setGeometry(24, 16, width - 48, 24);
  RadioButton1 = new ui::RadioButton(this, "RadioButton1", "记录号");
  RadioButton1->setGeometry(24, 52, 90, 22);
  RadioButton1->setChecked(true);
  Button1 = new ui::Button(this, "Button1", "确定");
  Button2 = new ui::Button(this, "Button2", "取消");
  Button1->setGeometry(32, height - 40, 75, 28);
  Button2->setGeometry(width - 107, height - 40, 75, 28);
  OnActivate = [this] { FormActivate(); };
  Edit1->OnKeyDown = [this](int key) {
    if (key == 13) Button1Click();
  };
  Button1->OnClick = [this] { Button1Click(); };
  Button2->OnClick = [this] { Close(); };
}

void LocateDialogBase::FormActivate() { Edit1->SetText(""); }

void LocateDialogBase::Button1Click() {
  if (main_.LocateTable == nullptr) return;
  if (Choice().Locate(*main_.LocateTable, Edit1->Text())) Close();
}

TF_change_r::TF_change_r(mainunit::MainUnit& main) : LocateDialogBase(main, "F_change_r", 249, 138) {
  RadioButton2 = new ui::RadioButton(this, "RadioButton2", "编号");
  RadioButton2->setGeometry(130, 52, 90, 22);
}

LocateChoice TF_change_r::Choice() {
  LocateChoice choice;
  if (RadioButton2->isChecked()) {
    choice.by = LocateChoice::By::Key;
    choice.key_field = main_.LocateKeyField;
    choice.key_index = main_.LocateIndexName;
  }
  return choice;
}

TF_change_r2::TF_change_r2(mainunit::MainUnit& main) : LocateDialogBase(main, "F_change_r2", 251, 149) {
  RadioButton2 = new ui::RadioButton(this, "RadioButton2", "报表编号");
  RadioButton3 = new ui::RadioButton(this, "RadioButton3", "法人代码");
  RadioButton1->setGeometry(16, 52, 72, 22);
  RadioButton2->setGeometry(88, 52, 80, 22);
  RadioButton3->setGeometry(168, 52, 80, 22);
  RadioButton2->OnClick = [this] { ChooseReportNumber(key_); };
  RadioButton3->OnClick = [this] { ChooseLegalPersonCode(key_); };
  OnActivate = [this] {
    FormActivate();
    OfferKeys();
  };
}

void TF_change_r2::OfferKeys() {
  // A detail table shown for all enterprises has neither key index: there
  // only the record number is offered, and the key chosen before comes
  // back on the master.
  LocateChoice report_number;
  ChooseReportNumber(report_number);
  const bool keys = main_.LocateTable != nullptr && HasIndex(*main_.LocateTable, report_number.key_index);
  if (!keys && !RadioButton1->isChecked()) {
    withheld_key_ = RadioButton2->isChecked() ? RadioButton2 : RadioButton3;
    RadioButton1->setChecked(true);
  } else if (keys && withheld_key_ != nullptr) {
    withheld_key_->setChecked(true);
    withheld_key_ = nullptr;
  }
  RadioButton2->setEnabled(keys);
  RadioButton3->setEnabled(keys);
}

LocateChoice TF_change_r2::Choice() {
  if (RadioButton1->isChecked()) return {};
  return key_;
}

}  // namespace veltra::entry
