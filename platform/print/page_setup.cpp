#include "platform/print/page_setup.h"

#include <cmath>
#include <utility>

namespace veltra::print {
namespace {

// Portrait width and height in millimetres (ISO 216, JIS B5, US Letter).
std::pair<double, double> PortraitMm(Paper paper) {
  switch (paper) {
    case Paper::A4: return {210, 297};
    case Paper::A3: return {297, 420};
    case Paper::A5: return {148, 210};
    case Paper::B5: return {182, 257};
    case Paper::Letter: return {215.9, 279.4};
  }
  return {210, 297};
}

int MmToUnits(double mm) { return static_cast<int>(std::lround(mm * kUnitsPerMm)); }

}  // namespace

int UnitsFromPixels(int pixels) {
  return static_cast<int>(std::lround(pixels * kUnitsPerInch / 96.0));
}

const std::vector<Paper>& AllPapers() {
  static const std::vector<Paper> papers = {Paper::A4, Paper::A3, Paper::A5, Paper::B5,
                                            Paper::Letter};
  return papers;
}

std::string PaperName(Paper paper) {
  switch (paper) {
    case Paper::A4: return "A4";
    case Paper::A3: return "A3";
    case Paper::A5: return "A5";
    case Paper::B5: return "B5";
    case Paper::Letter: return "Letter";
  }
  return "A4";
}

QSize PageSetup::PaperSize() const {
  const auto [width, height] = PortraitMm(paper);
  const QSize portrait(MmToUnits(width), MmToUnits(height));
  return orientation == Orientation::Portrait ? portrait : portrait.transposed();
}

QRect PageSetup::ContentRect() const {
  const QSize sheet = PaperSize();
  const int left = MmToUnits(margins.left_mm);
  const int top = MmToUnits(margins.top_mm);
  return QRect(left, top, sheet.width() - left - MmToUnits(margins.right_mm),
               sheet.height() - top - MmToUnits(margins.bottom_mm));
}

}  // namespace veltra::print
