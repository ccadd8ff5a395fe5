#include "platform/print/qt_font.h"

#include <algorithm>

#include "platform/print/page_setup.h"

namespace veltra::print {

QFont ToQFont(const Font& font, double device_dpi) {
  QFont qfont(font.family);
  // Qt converts points with the device's resolution and then applies the
  // painter's scale; dividing by the scale leaves the true point size.
  // A size of 0 (offered by the size lists) draws at the smallest size.
  qfont.setPointSizeF(std::max(font.point_size, 1.0) * kUnitsPerInch / device_dpi);
  qfont.setBold(font.bold);
  // Unhinted outlines keep advances proportional, so text measured on the
  // virtual page takes the same room on every device.
  qfont.setHintingPreference(QFont::PreferNoHinting);
  return qfont;
}

}  // namespace veltra::print
