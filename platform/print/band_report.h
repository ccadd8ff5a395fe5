#pragma once
// A banded report on the virtual page: the title band once at the top of
// the first page (below the page header), the page header and the column
// header at the top of every page, one detail band per record of the data
// set, and the page footer at the foot of every page, the last included.
// A data set without records prints no page. Without a detail band the
// records are not walked: the other bands show the first record, which is
// how one-record sheets print.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/print/band.h"
#include "platform/print/document.h"
#include "platform/print/expression.h"
#include "platform/print/record_source.h"

class QWidget;

namespace veltra::print {

class BandReport {
 public:
  PageSetup page;
  Band title, page_header, column_header, detail, page_footer;

  // The records the detail band walks, and the name expressions give it.
  RecordSource* data_set = nullptr;
  std::string data_set_name = "Table1";
  // The report's name, for the title of the dialog that asks for its PDF file.
  std::string document_name;
  // Further data sets that expressions name ("Table2.Text"); they are read
  // at their first record.
  void AddLookup(std::string name, RecordSource* source);

  // Before a print or a preview (the place to open the tables), and after
  // it ends, even when it failed.
  std::function<void()> BeforePrint;
  std::function<void()> AfterPrint;
  std::function<void()> AfterPreview;

  // Lays the report out. Throws EngineError for a field or data set that a
  // data text or expression names and that does not exist, before any page.
  Document Prepare();
  // The same pages, each laid out when it is asked for; the report and its
  // data sets must stay as they are while the pages are read.
  std::unique_ptr<PageSource> LayOut();

  // BeforePrint, the preview window (modal) laying out the pages it shows, AfterPreview.
  void Preview(QWidget* parent = nullptr);
  // BeforePrint, then the pages go to the default printer, or to a PDF file
  // the user names when there is no printer, each laid out as it goes; AfterPrint.
  void Print(QWidget* parent = nullptr);

 private:
  void PrintPrepared(QWidget* parent);
  FieldBinding Bind(std::string_view data_set_named, std::string_view field) const;

  class Layout;
  struct NamedSource {
    std::string name;
    RecordSource* source;
  };
  std::vector<NamedSource> lookups_;
};

}  // namespace veltra::print
