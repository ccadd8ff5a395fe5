#include "platform/print/band_report.h"

#include <QPrinterInfo>

#include "platform/print/compiled_band.h"
#include "platform/print/page_output.h"
#include "platform/print/preview_window.h"
#include "platform/print/print_interaction.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"

namespace veltra::print {
namespace {

// Runs `body` between the before and after hooks; the after hook runs
// whether the body succeeds or fails, so the tables are closed again.
template <typename Body>
void BetweenHooks(const std::function<void()>& before, Body body,
                  const std::function<void()>& after) {
  if (before) before();
  try {
    body();
  } catch (...) {
    if (after) after();
    throw;
  }
  if (after) after();
}

FieldBinding FindField(RecordSource* source, const std::string& data_set, std::string_view field) {
  const std::vector<std::string> names = source->FieldNames();
  for (std::size_t i = 0; i < names.size(); ++i)
    if (text::EqualsIgnoreAsciiCase(names[i], field)) return {source, static_cast<int>(i)};
  throw EngineError(EngineError::Kind::NoSuchField,
                    "field " + std::string(field) + " not found in " + data_set);
}

// Which band stands where on a page, and at which record it is drawn.
struct Placement {
  const CompiledBand* band;
  int y;
  int record;
};

}  // namespace

void BandReport::AddLookup(std::string name, RecordSource* source) {
  lookups_.push_back({std::move(name), source});
}

Document BandReport::Prepare() {
  if (data_set == nullptr)
    throw EngineError(EngineError::Kind::State, "the report has no data set to print");
  const FieldLookup lookup = [this](std::string_view name, std::string_view field) {
    if (name.empty() || text::EqualsIgnoreAsciiCase(name, data_set_name))
      return FindField(data_set, data_set_name, field);
    for (const NamedSource& lookup_source : lookups_)
      if (text::EqualsIgnoreAsciiCase(name, lookup_source.name))
        return FindField(lookup_source.source, lookup_source.name, field);
    throw EngineError(EngineError::Kind::NoSuchTable,
                      "the report has no data set named " + std::string(name));
  };
  const CompiledBand title_band(title, lookup), header_band(page_header, lookup),
      column_band(column_header, lookup), detail_band(detail, lookup),
      footer_band(page_footer, lookup);

  const int records = data_set->RecordCount();
  if (records == 0) return Document{page, {}};
  for (const NamedSource& lookup_source : lookups_)
    if (lookup_source.source->RecordCount() > 0) lookup_source.source->MoveTo(0);

  const QRect content = page.ContentRect();
  const int footer_top = content.bottom() + 1 - footer_band.height();
  std::vector<std::vector<Placement>> pages;
  int y = 0;
  auto place = [&](const CompiledBand& band, int record) {
    if (!band.present()) return;
    pages.back().push_back({&band, y, record});
    y += band.height();
  };
  auto start_page = [&](int record) {
    pages.emplace_back();
    y = content.top();
    place(header_band, record);
    if (pages.size() == 1) place(title_band, record);
    place(column_band, record);
  };

  start_page(0);
  int last_record = 0;
  if (detail_band.present()) {
    bool page_has_detail = false;
    for (int record = 0; record < records; ++record) {
      // A band taller than the free room goes on a page of its own, never
      // leaving a page empty, so a layout too tall for the paper still ends.
      if (page_has_detail && y + detail_band.height() > footer_top) {
        y = footer_top;
        place(footer_band, record - 1);
        start_page(record);
      }
      place(detail_band, record);
      page_has_detail = true;
      last_record = record;
    }
  }
  y = footer_top;
  place(footer_band, last_record);

  PageCanvas canvas(page);
  const int page_count = static_cast<int>(pages.size());
  for (int p = 0; p < page_count; ++p) {
    if (p > 0) canvas.NewPage();
    for (const Placement& placement : pages[p]) {
      data_set->MoveTo(placement.record);
      placement.band->Draw(canvas, QPoint(content.left(), placement.y), {p + 1, page_count});
    }
  }
  return canvas.TakeDocument();
}

void BandReport::Preview(QWidget* parent) {
  BetweenHooks(BeforePrint, [&] { ShowPreview(Prepare(), parent); }, AfterPreview);
}

void BandReport::Print(QWidget* parent) {
  BetweenHooks(BeforePrint, [&] { PrintPrepared(parent); }, AfterPrint);
}

void BandReport::PrintPrepared(QWidget* parent) {
  const Document document = Prepare();
  if (document.pages.empty()) return;
  PrintTarget target;
  const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
  if (printer.isNull()) {
    target.pdf_file = CurrentPrintInteraction().AskSaveFileName(parent, kSavePdfCaption, kPdfFilter);
    if (target.pdf_file.empty()) return;
  } else {
    target.printer_name = printer.printerName();
  }
  PrintDocument(document, target);
}

}  // namespace veltra::print
