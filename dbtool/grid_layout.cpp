#include "dbtool/grid_layout.h"

namespace veltra::dbtool {

GridColumns GridLayout(ui::DBGrid& grid, double char_width) {
  GridColumns columns;
  for (int i = 0; i < grid.ColumnCount(); ++i) {
    columns.columns.push_back({grid.Column(i).Title(), grid.Column(i).WidthInChars(char_width)});
  }
  return columns;
}

double GridCharWidthOf(const ui::DBGrid& grid) { return grid.TextWidth("    ") * 0.25; }

}  // namespace veltra::dbtool
