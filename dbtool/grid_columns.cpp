#include "dbtool/grid_columns.h"

namespace veltra::dbtool {

int GridColumns::WidthInChars(int column) const {
  return static_cast<int>(columns.at(static_cast<std::size_t>(column)).width_pixels / char_width);
}

}  // namespace veltra::dbtool
