#pragma once
// What a data grid tells the save routines about its columns: the title
// shown above each column and its width in pixels, plus the grid font's
// average character width that turns pixels into characters. Column i
// shows field i of the data set.
#include <string>
#include <vector>

namespace veltra::dbtool {

struct GridColumn {
  std::string title;
  int width_pixels = 0;
};

struct GridColumns {
  std::vector<GridColumn> columns;
  double char_width = 1.0;  // pixels per character (GridCharWidth)

  // Pixels over the character width, truncated toward zero.
  int WidthInChars(int column) const;
};

}  // namespace veltra::dbtool
