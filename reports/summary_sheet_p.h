#pragma once
// The one-row summary sheets: a title over a ruled grid of caption/value
// pairs, printed on one page from the first record of the summary table.
#include <string_view>
#include <vector>

#include "reports/print_window.h"

namespace veltra::reports {

class SummarySheet : public PrintWindow {
 public:
  // One caption and the column whose value stands to its right.
  struct Pair {
    std::string_view caption;
    std::string_view column;
  };
  // The pairs of one printed row, left to right.
  using Row = std::vector<Pair>;

  const std::vector<Row>& rows() const { return rows_; }

 protected:
  // `mask` formats every value ("" prints them as stored).
  SummarySheet(db::Database& database, const std::string& table_name, std::string_view title,
               const std::vector<Row>& rows, const std::string& mask);

 private:
  const std::vector<Row>& rows_;
};

class TF_qyhz_p : public SummarySheet {
 public:
  explicit TF_qyhz_p(db::Database& database);
};

class TF_qyrdhz_p : public SummarySheet {
 public:
  explicit TF_qyrdhz_p(db::Database& database);
};

class TF_rjqyhz_p : public SummarySheet {
 public:
  explicit TF_rjqyhz_p(db::Database& database);
};

class TF_dfhz_p : public SummarySheet {
 public:
  explicit TF_dfhz_p(db::Database& database);
};

class TF_gjhz_p : public SummarySheet {
 public:
  explicit TF_gjhz_p(db::Database& database);
};

}  // namespace veltra::reports
