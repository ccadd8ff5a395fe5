#pragma once
// What the summary and list builders share: the components they work with
// and the one way they run a statement and keep its result as a table.
//
//   BuilderContext context{main, Query1};
//   BuildEnterpriseSummary(context);  // rewrites qyhz.db in the working folder
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mainunit/main_unit.h"
#include "platform/db/query.h"

namespace veltra::reports {

struct BuilderContext {
  mainunit::MainUnit& main;  // the working folder, its scratch Table1 and DataDirPrefix
  db::Query& Query1;         // the report window's query, on main.Database1
  // Called once each statement's rows are in, with the table they are then
  // saved as (empty when the builder reads them itself); benchmarks and
  // tests replay the statements elsewhere.
  std::function<void(db::Query&, std::string_view saved_as)> AfterOpen;
};

// One column of a summary: the sum of `field` named `column`.
struct SummedColumn {
  std::string_view field;
  std::string_view column;
};

// "select sum(<field>) <column>", then ",sum(<field>) <column>" for each further column.
std::vector<std::string> SumLines(std::span<const SummedColumn> columns);

// ` from "<DataDirPrefix><source>` — `source` carries the closing quote and what follows it.
std::string FromLine(const BuilderContext& context, std::string_view source);

// `lines`, then the FROM line of `source`.
std::vector<std::string> WithFromLine(const BuilderContext& context, std::vector<std::string> lines,
                                      std::string_view source);

// The sums of `columns` over `source`.
std::vector<std::string> SumStatement(const BuilderContext& context, std::span<const SummedColumn> columns,
                                      std::string_view source);

// Replaces the query's statement by `lines` and opens it, for the rows to be
// read (`saved_as` empty) or saved as that table.
void OpenStatement(BuilderContext& context, const std::vector<std::string>& lines, std::string_view saved_as = {});

// Opens the statement and saves its rows as the table `name` of the working
// folder, replacing that table whole; a failing statement leaves it as it was.
void SaveStatementAs(BuilderContext& context, const std::vector<std::string>& lines, std::string_view name);

// Fails, naming the file, when the installation's table `name` is missing.
void RequireInstalledTable(const BuilderContext& context, std::string_view name, std::string_view purpose);

}  // namespace veltra::reports
