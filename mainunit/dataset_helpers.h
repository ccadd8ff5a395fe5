#pragma once
// Routines of the main unit that every subsystem calls.
#include <string_view>
#include <utility>
#include <vector>

#include "platform/db/database.h"
#include "platform/db/dataset.h"

namespace veltra::mainunit {

// Sets every null float, small-integer or integer field of the record being
// edited to 0; other types are left alone.
void SetNullNumericFieldsToZero(db::DataSet& data_set);

// The fields of `from` that `to` has by name, matched once for a run of
// copies while both stay open.
class FieldsByName {
 public:
  FieldsByName(db::DataSet& from, db::DataSet& to);
  // Copies into the record being edited in `to` every matched field of
  // `from`'s current record; a null float, small-integer or integer
  // arrives as 0, any other value as it stands.
  void Copy() const;

 private:
  std::vector<std::pair<const db::Field*, db::Field*>> pairs_;
};

// Rewrites a closed table without its deleted records. False when the
// table could not be packed (held open elsewhere, missing); callers go on
// without a message, the table stays as it was.
bool PackTable(db::Database& database, std::string_view table_name);

}  // namespace veltra::mainunit
