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
  throw EngineError(EngineError::Kind::NoSuchField, "field " + std::string(field) + " not found in " + data_set,
                    {data_set, std::string(field)});
}

// Which band stands where on a page, and at which record it is drawn.
struct Placement {
  const CompiledBand* band;
  int y;
  int record;
};
using PagePlan = std::vector<Placement>;

struct CompiledBands {
  CompiledBand title, page_header, column_header, detail, page_footer;
};

// Puts the bands on pages for `records` records: headers from the top of
// the content area, the footer on its foot, details between.
std::vector<PagePlan> Paginate(const CompiledBands& bands, const QRect& content, int records) {
  const int footer_top = content.bottom() + 1 - bands.page_footer.height();
  std::vector<PagePlan> pages;
  int y = 0;
  auto place = [&](const CompiledBand& band, int record) {
    if (!band.present()) return;
    pages.back().push_back({&band, y, record});
    y += band.height();
  };
  auto start_page = [&](int record) {
    pages.emplace_back();
    y = content.top();
    place(bands.page_header, record);
    if (pages.size() == 1) place(bands.title, record);
    place(bands.column_header, record);
  };

  start_page(0);
  int last_record = 0;
  if (bands.detail.present()) {
    bool page_has_detail = false;
    for (int record = 0; record < records; ++record) {
      // A band taller than the free room goes on a page of its own, never
      // leaving a page empty, so a layout too tall for the paper still ends.
      if (page_has_detail && y + bands.detail.height() > footer_top) {
        y = footer_top;
        place(bands.page_footer, record - 1);
        start_page(record);
      }
      place(bands.detail, record);
      page_has_detail = true;
      last_record = record;
    }
  }
  y = footer_top;
  place(bands.page_footer, last_record);
  return pages;
}

}  // namespace

void BandReport::AddLookup(std::string name, RecordSource* source) {
  lookups_.push_back({std::move(name), source});
}

FieldBinding BandReport::Bind(std::string_view data_set_named, std::string_view field) const {
  if (data_set_named.empty() || text::EqualsIgnoreAsciiCase(data_set_named, data_set_name))
    return FindField(data_set, data_set_name, field);
  for (const NamedSource& lookup : lookups_)
    if (text::EqualsIgnoreAsciiCase(data_set_named, lookup.name))
      return FindField(lookup.source, lookup.name, field);
  throw EngineError(EngineError::Kind::NoSuchTable, "the report has no data set named " + std::string(data_set_named),
                    {std::string(data_set_named)});
}

// The report's pages, each drawn when it is asked for: only the plan of
// every page (which band at which height for which record) is kept.
class BandReport::Layout : public PageSource {
 public:
  explicit Layout(BandReport& report)
      : report_(report),
        lookup_([&report](std::string_view name, std::string_view field) { return report.Bind(name, field); }),
        bands_{{report.title, lookup_},
               {report.page_header, lookup_},
               {report.column_header, lookup_},
               {report.detail, lookup_},
               {report.page_footer, lookup_}},
        content_(report.page.ContentRect()) {
    const int records = report.data_set->RecordCount();
    if (records == 0) return;
    for (const NamedSource& lookup_source : report.lookups_)
      if (lookup_source.source->RecordCount() > 0) lookup_source.source->MoveTo(0);
    plans_ = Paginate(bands_, content_, records);
  }

  const PageSetup& Setup() const override { return report_.page; }
  int PageCount() const override { return static_cast<int>(plans_.size()); }
  const Page& PageAt(int index) override {
    PageCanvas canvas(report_.page);
    for (const Placement& placement : plans_.at(static_cast<std::size_t>(index))) {
      report_.data_set->MoveTo(placement.record);
      placement.band->Draw(canvas, QPoint(content_.left(), placement.y), {index + 1, PageCount()});
    }
    page_ = std::move(canvas.TakeDocument().pages.front());
    return page_;
  }

 private:
  BandReport& report_;
  const FieldLookup lookup_;
  const CompiledBands bands_;
  const QRect content_;
  std::vector<PagePlan> plans_;
  Page page_;
};

std::unique_ptr<PageSource> BandReport::LayOut() {
  if (data_set == nullptr)
    throw EngineError(EngineError::Kind::State, "the report has no data set to print");
  return std::make_unique<Layout>(*this);
}

Document BandReport::Prepare() {
  const std::unique_ptr<PageSource> pages = LayOut();
  Document document{page, {}};
  document.pages.reserve(static_cast<std::size_t>(pages->PageCount()));
  for (int p = 0; p < pages->PageCount(); ++p) document.pages.push_back(pages->PageAt(p));
  return document;
}

void BandReport::Preview(QWidget* parent) {
  BetweenHooks(BeforePrint, [&] { ShowPreview(LayOut(), parent); }, AfterPreview);
}

void BandReport::Print(QWidget* parent) {
  BetweenHooks(BeforePrint, [&] { PrintPrepared(parent); }, AfterPrint);
}

void BandReport::PrintPrepared(QWidget* parent) {
  const std::unique_ptr<PageSource> pages = LayOut();
  if (pages->PageCount() == 0) return;
  PrintTarget target;
  const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
  if (printer.isNull()) {
    const QString caption =
        document_name.empty() ? kSavePdfCaption : kSavePdfCaption + "：" + QString::fromStdString(document_name);
    target.pdf_file = CurrentPrintInteraction().AskSaveFileName(parent, caption, kPdfFilter);
    if (target.pdf_file.empty()) return;
  } else {
    target.printer_name = printer.printerName();
  }
  PrintDocument(*pages, target);
}

}  // namespace veltra::print
