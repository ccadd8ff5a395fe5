#include "reports/print_window.h"

namespace veltra::reports {

PrintWindow::PrintWindow(db::Database& database, const std::string& table_name, print::Orientation orientation)
    : Table1(database) {
  Table1.SetTableName(table_name);
  QuickRep1.page.orientation = orientation;  // A4, 10 mm margins
  QuickRep1.data_set = &records_;
  QuickRep1.data_set_name = "Table1";
  QuickRep1.BeforePrint = [this] { QuickRep1BeforePrint(); };
  QuickRep1.AfterPrint = [this] { QuickRep1AfterPrint(); };
  QuickRep1.AfterPreview = [this] { QuickRep1AfterPreview(); };
}

void PrintWindow::QuickRep1BeforePrint() {
  if (!Table1.Active()) Table1.Open();
}

void PrintWindow::QuickRep1AfterPrint() { Table1.Close(); }

void PrintWindow::QuickRep1AfterPreview() { Table1.Close(); }

}  // namespace veltra::reports
