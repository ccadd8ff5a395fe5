#pragma once
// Turning a print font into the QFont that draws it at its true size on a
// device whose painter is scaled to units of the virtual page.
#include <QFont>

#include "platform/print/document.h"

namespace veltra::print {

// `device_dpi` is the logical resolution of the device drawn on; the
// painter is expected to map units to device pixels (dpi / 254 per unit).
// Sizes below 1 point are drawn at 1 point.
QFont ToQFont(const Font& font, double device_dpi);

}  // namespace veltra::print
