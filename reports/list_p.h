#pragma once
// The enterprise list printouts: the title on every page, the column
// captions once, on the first page, and one ruled row per enterprise.
#include <vector>

#include "reports/print_window.h"
#include "reports/sheet_layout.h"

namespace veltra::reports {

class ListPrintWindow : public PrintWindow {
 public:
  struct Column {
    SheetCell caption;
    SheetCell value;
  };

  // The title label; the report window sets it before printing.
  print::Label& QRLabel1();

 protected:
  ListPrintWindow(db::Database& database, const std::string& table_name, const QString& title,
                  const std::vector<Column>& columns);
};

// 产品收入500万以上的全部工业企业 (gyqy.db).
class TF_gyqy_p : public ListPrintWindow {
 public:
  explicit TF_gyqy_p(db::Database& database);
};

// 技术服务型企业 (fwqy.db).
class TF_fwqy_p : public ListPrintWindow {
 public:
  explicit TF_fwqy_p(db::Database& database);
};

// Large or listed enterprises (dqy.db), under the title its caller sets.
class TF_dqy_p : public ListPrintWindow {
 public:
  explicit TF_dqy_p(db::Database& database);
};

}  // namespace veltra::reports
