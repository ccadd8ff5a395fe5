#include "dbtool/table_maintenance.h"

#include "platform/db/database.h"

namespace veltra::dbtool {
namespace {

template <typename Rewrite>
void RewriteClosed(db::Table& table, Rewrite rewrite) {
  table.Close();
  try {
    rewrite(table.GetDatabase(), table.TableName(), table.GetTableType());
  } catch (...) {
    try {
      table.Open();
    } catch (...) {  // the rewrite's own error is the one to report
    }
    throw;
  }
  table.Open();
}

}  // namespace

void PackOpenedTable(db::Table& table) {
  RewriteClosed(table, [](db::Database& database, const std::string& name, db::TableType type) {
    database.PackTable(name, type);
  });
}

void EmptyOpenedTable(db::Table& table) {
  RewriteClosed(table, [](db::Database& database, const std::string& name, db::TableType type) {
    database.EmptyTable(name, type);
  });
}

}  // namespace veltra::dbtool
