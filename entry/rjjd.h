#pragma once
// TF_rjjd, the software-industry base window (report kind 7), the one of
// three levels: a base in rjjd.db, its software enterprises in rjjdqy.db
// over three pages, and each enterprise's products in rjjdqycp.db in two
// grids. Only a validation fault opens it.
#include "entry/entry_window.h"

namespace veltra::entry {

// The framework's description of the software-base window.
EntryDescription RjjdDescription();

class TF_rjjd : public EntryWindow {
  Q_OBJECT

 public:
  TF_rjjd(mainunit::MainUnit& main, mainunit::Prompts& prompts);

  ui::DBEdit* DBEdit100;  // the base's 编号
  ui::DBEdit* DBEdit149;  // the enterprise's 编号
  ui::DBGrid* DBGrid1;    // the products, first columns
  ui::DBGrid* DBGrid2;    // the products, remaining columns
};

}  // namespace veltra::entry
