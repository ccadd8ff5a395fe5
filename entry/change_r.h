#pragma once
// TF_change_r and TF_change_r2, the locate dialogs ("定位记录") that an
// entry window shows on a double click of its status line. Both move the
// main unit's LocateTable: by record number or by a key value. TF_change_r
// searches the key the window named (LocateKeyField, LocateIndexName);
// TF_change_r2 offers the enterprise window's two keys.
#include "mainunit/main_unit.h"
#include "entry/locate.h"
#include "platform/ui/buttons.h"
#include "platform/ui/form.h"
#include "platform/ui/text_controls.h"

namespace veltra::entry {

class LocateDialogBase : public ui::Form {
  Q_OBJECT

 public:
  ui::Edit* Edit1;
  ui::RadioButton* RadioButton1;
  ui::Button* Button1;
  ui::Button* Button2;

 protected:
  LocateDialogBase(mainunit::MainUnit& main, const std::string& name, int width, int height);
  void FormActivate();
  void Button1Click();
  // The search the user chose, read when "确定" is pressed.
  virtual LocateChoice Choice() = 0;

  mainunit::MainUnit& main_;
};

class TF_change_r : public LocateDialogBase {
  Q_OBJECT

 public:
  explicit TF_change_r(mainunit::MainUnit& main);
  ui::RadioButton* RadioButton2;

 private:
  LocateChoice Choice() override;
};

class TF_change_r2 : public LocateDialogBase {
  Q_OBJECT

 public:
  explicit TF_change_r2(mainunit::MainUnit& main);
  ui::RadioButton* RadioButton2;
  ui::RadioButton* RadioButton3;

 private:
  LocateChoice Choice() override;
  void OfferKeys();
  // Kept for the whole run, as the radio buttons are.
  LocateChoice key_;
  ui::RadioButton* withheld_key_ = nullptr;  // checked before a detail table took the keys away
};

}  // namespace veltra::entry
