#include "reports/builder_query.h"

#include <filesystem>

#include "dbtool/save_data_set_as_table.h"

namespace veltra::reports {

std::vector<std::string> SumLines(std::span<const SummedColumn> columns) {
  std::vector<std::string> lines;
  lines.reserve(columns.size());
  for (const SummedColumn& column : columns) {
    lines.push_back((lines.empty() ? "select sum(" : ",sum(") + std::string(column.field) + ") " +
                    std::string(column.column));
  }
  return lines;
}

std::string FromLine(const BuilderContext& context, std::string_view source) {
  return " from \"" + context.main.DataDirPrefix + std::string(source);
}

std::vector<std::string> WithFromLine(const BuilderContext& context, std::vector<std::string> lines,
                                      std::string_view source) {
  lines.push_back(FromLine(context, source));
  return lines;
}

std::vector<std::string> SumStatement(const BuilderContext& context, std::span<const SummedColumn> columns,
                                      std::string_view source) {
  return WithFromLine(context, SumLines(columns), source);
}

void OpenStatement(BuilderContext& context, const std::vector<std::string>& lines, std::string_view saved_as) {
  db::Query& query = context.Query1;
  query.SQL.Clear();
  for (const std::string& line : lines) query.SQL.Add(line);
  query.Open();
  if (context.AfterOpen) context.AfterOpen(query, saved_as);
}

void SaveStatementAs(BuilderContext& context, const std::vector<std::string>& lines, std::string_view name) {
  OpenStatement(context, lines, name);
  dbtool::SaveDataSetAsTable(context.main.Database1, context.Query1, nullptr, name);
}

void RequireInstalledTable(const BuilderContext& context, std::string_view name, std::string_view purpose) {
  if (std::filesystem::exists(context.main.Database1.ResolveTableName(name))) return;
  throw EngineError(EngineError::Kind::NoSuchTable, EngineError::Words{"工作目录中没有表 " + std::string(name) + "（" +
                                                         std::string(purpose) + "，由安装程序提供），无法生成报表"});
}

}  // namespace veltra::reports
