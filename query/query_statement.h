#pragma once
// The statements of the query window, built line by line from what the
// user ticked and composed: "进行查询" lists the ticked fields under their
// captions, "进行统计" totals the ticked sum fields grouped by the ticked
// group fields. Both join every table taking part on the first query
// field (written with the first table's alias) and add the kind's filter
// and the AND and OR conditions.
#include <stdexcept>
#include <string>
#include <vector>

#include "query/query_dictionary.h"

namespace veltra::query {

struct Condition {
  std::string text;   // as composed in "条件表达式"
  std::string table;  // the table reference stored with it
};

struct SortField {
  std::string caption;  // a column alias of the select list
  bool descending = false;
};

struct QueryChoices {
  const QueryDictionary* dictionary = nullptr;
  // Indexes into the dictionary's lists, in list order.
  std::vector<int> query_ticks;
  std::vector<int> sum_ticks;
  std::vector<int> group_ticks;
  std::vector<std::string> ticked_tables;  // ticked in the "数据库" list
  std::vector<Condition> and_conditions;
  std::vector<Condition> or_conditions;
  bool or_between_groups = false;  // "或" chosen between the AND and the OR group
  std::vector<SortField> sort;
  std::string report_type_filter;  // " (is_chge=...)" for report kind 4, else empty
};

// A statement that cannot be formed from the choices; the message (Chinese)
// names the condition, table or field at fault.
class StatementRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The kind-4 filter in the form the query statements expect.
std::string QueryReportTypeFilter(int kind);

// "进行查询"
std::vector<std::string> BuildQueryStatement(const QueryChoices& choices);

// "进行统计"; empty when no sum field is ticked.
std::vector<std::string> BuildTotalsStatement(const QueryChoices& choices);

}  // namespace veltra::query
