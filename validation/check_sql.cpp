#include "validation/check_sql.h"

#include "mainunit/sql_text.h"

namespace veltra::validation {

namespace {

std::string Concat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

std::string SelectItems(const SelectExtras& extras) { return extras.suffix + extras.field_name2; }

}  // namespace

TableExpression BuildTableExpression(std::string_view db_name, std::string_view data_dir_prefix) {
  TableExpression expression;
  const std::size_t comma = db_name.find(',');
  if (comma == std::string_view::npos) {
    expression.from = Concat({"\"", data_dir_prefix, db_name});
  } else {
    expression.from = Concat({"\"", data_dir_prefix, db_name.substr(0, comma), " left join \"", data_dir_prefix,
                              db_name.substr(comma + 1)});
  }
  // db_name ends the file name with its closing quote; an alias may follow.
  expression.table_name = Concat({data_dir_prefix, db_name.substr(0, db_name.find('"'))});
  if (expression.from.find(';') != std::string::npos) {
    expression.kind = RuleKind::CodeList;
    expression.from.pop_back();
  } else if (expression.from.find("left join") != std::string::npos) {
    expression.kind = RuleKind::Grouped;
  }
  return expression;
}

std::string CodeListFirstBatchLine(std::string_view key_expression, std::string_view column,
                                   const SelectExtras& extras, std::string_view from, std::string_view code) {
  return Concat({"select ", key_expression, " 编号,", column, " 字段值", SelectItems(extras), " from ", from,
                 " where not (", column, "=", mainunit::SqlString(code)});
}

std::string CodeListLaterBatchLine(const SelectExtras& extras, std::string_view code) {
  return Concat({"select 编号,字段值", SelectItems(extras), " from tmp_r.db where not (字段值=", mainunit::SqlString(code)});
}

std::string CodeListAlternative(std::string_view column, std::string_view code) {
  return Concat({" or ", column, "=", mainunit::SqlString(code)});
}

std::string CodeListBatchEnd(const SelectExtras& extras) { return ")" + extras.filter; }

std::string GroupedRuleSelect(std::string_view key_expression, std::string_view rule_items, std::string_view suffix,
                              std::string_view from, std::string_view link, std::string_view group) {
  return Concat({"select ", key_expression, " 编号,", rule_items, suffix, " from ", from, " on ", link, " group by ",
                 group});
}

std::string GroupedRuleFaults(std::string_view disp_field, std::string_view suffix, std::string_view condition) {
  return Concat({"select 编号,", disp_field, suffix, " from tmp.db where (", condition, ")"});
}

std::string PlainRuleSelect(std::string_view key_expression, std::string_view rule_field, const SelectExtras& extras,
                            std::string_view from, std::string_view condition) {
  return Concat({"select ", key_expression, " 编号,", rule_field, " 字段值", SelectItems(extras), " from ", from,
                 " where not (", condition, ")", extras.filter});
}

std::string StampFaults(std::string_view result_table, std::string_view field, std::string_view message,
                        std::string_view status) {
  return Concat({"update ", result_table, " set 字段名=", mainunit::SqlString(field), ",错误信息=", mainunit::SqlString(message),
                 ",状态=", mainunit::SqlString(status), " where 字段名 IS NULL"});
}

std::string RemoveKeylessQjFaults(std::string_view result_table) {
  return Concat({"delete from ", result_table,
                 " where 编号 is null and (字段名='qj25' or 字段名='qj26' or 字段名='qj27' or 字段名='qj01')"});
}

std::string SortedResult(std::string_view result_table) {
  std::string order;
  for (const ResultOrderKey& key : kResultOrder) {
    order += Concat({order.empty() ? " order by " : ",", key.field, key.descending ? " desc" : ""});
  }
  return Concat({"select * from ", result_table, order});
}

std::string UnregisterTable(int id, std::string_view name) {
  return Concat({"delete from sendname.db where id=", std::to_string(id), " and name=", mainunit::SqlString(name)});
}

std::string RegisterTable(int id, std::string_view name, std::string_view text) {
  return Concat({"insert into sendname.db (id,name,text) values (", std::to_string(id), ",", mainunit::SqlString(name), ",",
                 mainunit::SqlString(text), ")"});
}

}  // namespace veltra::validation
