#pragma once
// Drawing a laid-out document on a device: a preview image, a printer or a
// PDF file. Every device gets the same pages, scaled from the virtual page.
#include <QImage>
#include <QPainter>
#include <QString>

#include <filesystem>

#include "platform/print/document.h"

namespace veltra::print {

// Pages first..last, 0-based and inclusive; the default is the whole document.
struct PageRange {
  int first = 0;
  int last = -1;  // -1: up to the last page
};

// Where a print job goes: a named printer, or a PDF file when `pdf_file` is set.
struct PrintTarget {
  QString printer_name;
  std::filesystem::path pdf_file;
  bool ToPdf() const { return !pdf_file.empty(); }
};

// Draws one page on a painter whose origin is the sheet's corner on a
// device of `device_dpi`; the painter's state is restored afterwards.
void DrawPage(QPainter& painter, const Page& page, double device_dpi);

// The page as an image at `dpi` (96 shows it at its real size on a screen).
QImage RenderPageImage(const PageSetup& setup, const Page& page, double dpi);
QImage RenderPageImage(const Document& document, int page_index, double dpi);

// Writes the pages as a PDF file, replacing `path` only when complete.
// Throws EngineError (Io) naming the file when it cannot be written.
void WritePdf(PageSource& pages, const std::filesystem::path& path, PageRange range = {});
void WritePdf(const Document& document, const std::filesystem::path& path, PageRange range = {});

// Prints the pages on the named printer, or writes them to the target's PDF file.
// Throws EngineError (Io) naming the printer or file when that fails.
void PrintDocument(PageSource& pages, const PrintTarget& target, PageRange range = {});
void PrintDocument(const Document& document, const PrintTarget& target, PageRange range = {});

}  // namespace veltra::print
