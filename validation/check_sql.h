#pragma once
// The texts of the validation statements. Fragments that the rule catalogue
// and the rule tables supply (select items, conditions, join links, group
// lists, table expressions) go in as the installation wrote them; data
// values (codes, messages, fault states, names compared as text) go in as
// quoted literals, so a quote inside a message cannot break a statement.
#include <string>
#include <string_view>

namespace veltra::validation {

enum class RuleKind {
  CodeList,  // the rule table lists the admissible codes of one column
  Grouped,   // one rule per row over two joined tables, grouped
  Plain,     // one rule per row: the condition a valid record meets
};

// The FROM part built from a catalogue row's `db_name`.
struct TableExpression {
  RuleKind kind = RuleKind::Plain;
  // Opening quote, prefix and db_name; db_name brings the closing quote and
  // any alias. A code-list expression has lost its last character (";").
  std::string from;
  // The data table's file name, as the send register records it.
  std::string table_name;
};

TableExpression BuildTableExpression(std::string_view db_name, std::string_view data_dir_prefix);

// What the kind's statements add to every select list (`CheckSelectSuffix`
// plus the catalogue row's `field_name2`) and to plain and code-list
// conditions (`ReportTypeFilter`).
struct SelectExtras {
  std::string suffix;
  std::string field_name2;
  std::string filter;
};

// Code lists: the first batch reads the survey table, later batches filter
// the survivors in tmp_r.DB; each batch is a first line, one alternative
// line per further code and the closing line.
std::string CodeListFirstBatchLine(std::string_view key_expression, std::string_view column,
                                   const SelectExtras& extras, std::string_view from, std::string_view code);
std::string CodeListLaterBatchLine(const SelectExtras& extras, std::string_view code);
std::string CodeListAlternative(std::string_view column, std::string_view code);
std::string CodeListBatchEnd(const SelectExtras& extras);

std::string GroupedRuleSelect(std::string_view key_expression, std::string_view rule_items, std::string_view suffix,
                              std::string_view from, std::string_view link, std::string_view group);
std::string GroupedRuleFaults(std::string_view disp_field, std::string_view suffix, std::string_view condition);
std::string PlainRuleSelect(std::string_view key_expression, std::string_view rule_field, const SelectExtras& extras,
                            std::string_view from, std::string_view condition);

// Stamps the rows just appended, the only ones whose 字段名 is still null.
std::string StampFaults(std::string_view result_table, std::string_view field, std::string_view message,
                        std::string_view status);

std::string RemoveKeylessQjFaults(std::string_view result_table);
// The order of the finished result, which SortedResult spells.
struct ResultOrderKey {
  std::string_view field;
  bool descending;
};
inline constexpr ResultOrderKey kResultOrder[] = {{"状态", true}, {"编号", false}};
std::string SortedResult(std::string_view result_table);

// Send register rows: id 1 a result table, id 2 a validated data table.
inline constexpr int kRegisterResultTable = 1;
inline constexpr int kRegisterDataTable = 2;
std::string UnregisterTable(int id, std::string_view name);
std::string RegisterTable(int id, std::string_view name, std::string_view text);

}  // namespace veltra::validation
