#pragma once
// The virtual page every printout is laid out on: paper and orientation in
// tenths of a millimetre, whatever the device. Layouts computed on it are
// the same on every machine; only the final drawing is scaled to a device.
#include <QRect>
#include <QSize>

#include <string>
#include <vector>

namespace veltra::print {

// One unit of the virtual page is 0.1 mm.
inline constexpr int kUnitsPerMm = 10;
inline constexpr double kUnitsPerInch = 254.0;

// Report layouts are designed in screen pixels (96 per inch).
int UnitsFromPixels(int pixels);

enum class Paper { A4, A3, A5, B5, Letter };
enum class Orientation { Portrait, Landscape };

// The papers offered by the printer-setup dialog, in that order.
const std::vector<Paper>& AllPapers();
std::string PaperName(Paper paper);

struct Margins {
  double left_mm = 10, top_mm = 10, right_mm = 10, bottom_mm = 10;
  friend bool operator==(const Margins&, const Margins&) = default;
};

struct PageSetup {
  Paper paper = Paper::A4;
  Orientation orientation = Orientation::Portrait;
  Margins margins;

  // The sheet as it lies, in units (A4 portrait is 2100 x 2970).
  QSize PaperSize() const;
  // The part of the sheet inside the margins, in units from the sheet's corner.
  QRect ContentRect() const;

  friend bool operator==(const PageSetup&, const PageSetup&) = default;
};

}  // namespace veltra::print
