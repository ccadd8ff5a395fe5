#pragma once
// What a data grid tells the save routines about its columns: the title
// shown above each column and its width in characters, as the column
// dialog set it or as its pixels make it. Column i shows field i of the
// data set.
#include <string>
#include <vector>

namespace veltra::dbtool {

struct GridColumn {
  std::string title;
  int width_chars = 0;
};

struct GridColumns {
  std::vector<GridColumn> columns;
};

}  // namespace veltra::dbtool
