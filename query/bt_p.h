#pragma once
// The caption editor of the generic printout: bt_p.db in a grid, one row
// per printed column (caption and width in characters).
#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/ui/buttons.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/form.h"

namespace veltra::query {

class TF_bt_p : public ui::Form {
 public:
  explicit TF_bt_p(db::Database& database);

  db::Table Table1;
  db::DataSource DataSource1{&Table1};
  ui::DBGrid DBGrid1{this, "DBGrid1"};
  ui::Button Button1{this, "Button1", "确定"};

 private:
  void FormClose();
};

}  // namespace veltra::query
