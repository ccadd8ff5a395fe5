#pragma once
// The column dialog "修改列宽度": renames a grid column and sets its width
// in characters. The query window and the table tool open it on the column
// the user double-clicked; what it sets is what printing and saving take as
// the field's name and size.
#include "platform/ui/buttons.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/form.h"
#include "platform/ui/text_controls.h"

namespace veltra::dbtool {

class TF_change_c : public ui::Form {
 public:
  TF_change_c();

  // Shows the dialog modally on `column`; `char_width` is the grid font's
  // average character width in pixels (GridCharWidth).
  void EditColumn(ui::GridColumn& column, double char_width);

  ui::Edit Edit1{this, "Edit1"};
  ui::Edit Edit2{this, "Edit2"};
  ui::Button Button1{this, "Button1", "确定"};
  ui::Button Button2{this, "Button2", "取消"};

 private:
  void FormActivate();
  void Button1Click();
  void EditKeyDown(int key);

  ui::GridColumn* EditedColumn = nullptr;
  double GridCharWidth = 1.0;
};

}  // namespace veltra::dbtool
