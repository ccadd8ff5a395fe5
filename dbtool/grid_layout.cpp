#include "dbtool/grid_layout.h"

namespace veltra::dbtool {

GridColumns GridLayout(ui::DBGrid& grid, double char_width) {
  GridColumns columns{{}, char_width};
  for (int i = 0; i < grid.ColumnCount(); ++i) {
    columns.columns.push_back({grid.Column(i).Title(), grid.Column(i).Width()});
  }
  return columns;
}

double GridCharWidthOf(const ui::DBGrid& grid) { return grid.TextWidth("    ") * 0.25; }

}  // namespace veltra::dbtool
