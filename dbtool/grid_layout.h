#pragma once
// What a result grid tells the save routines: the column titles and the
// widths in characters the user set through the column dialog; the grid
// font's character width counts the others. The query window and the
// table tool save their grids this way.
#include "dbtool/grid_columns.h"
#include "platform/ui/data_grid.h"

namespace veltra::dbtool {

GridColumns GridLayout(ui::DBGrid& grid, double char_width);

// A quarter of the width of four blanks in the grid's font (GridCharWidth).
double GridCharWidthOf(const ui::DBGrid& grid);

}  // namespace veltra::dbtool
