#pragma once
// A local-SQL statement on the database. Open runs a select and keeps its
// result in memory as a read-only data set; ExecSQL runs any statement and
// RowsAffected tells how many rows it changed. Changing the SQL closes the
// query.
#include <cstddef>
#include <vector>

#include "platform/db/dataset.h"
#include "platform/db/string_list.h"

namespace veltra::db {

class Database;

class Query : public DataSet {
 public:
  explicit Query(Database& database);
  ~Query() override;

  StringList SQL;

  // A statement that returns no rows is carried out and Open then fails
  // with a State error saying there is no result set.
  void ExecSQL();
  std::size_t RowsAffected() const { return rows_affected_; }
  // Runs the select and gives its rows away without opening the data set,
  // for a caller that reads them once (a batch move): they are neither
  // kept nor copied. The query stays closed.
  std::vector<Row> TakeRows();

  std::string DisplayName() const override { return "query"; }

 protected:
  std::shared_ptr<RecordStore> OpenStore() override;
  bool ReadOnly() const override { return true; }

 private:
  Database& database_;
  std::size_t rows_affected_ = 0;
};

}  // namespace veltra::db
