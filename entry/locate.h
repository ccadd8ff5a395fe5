#pragma once
// Moves an entry window's table to a record the user names: by record
// number, or by a key value searched on a key index. The locate dialogs
// TF_change_r and TF_change_r2 hold which of the two the user chose.
#include <string>

#include "platform/db/table.h"

namespace veltra::entry {

// First record, then on by (number - 1); stops at either end. Text that is
// not a whole number throws, naming it, and leaves the table where it was.
void LocateByRecordNumber(db::Table& table, const std::string& number);

// A key search of `field` = `value` on `index` (the current index when
// empty); the table then goes back to its "id" order. Not found: the table
// stays on its record.
void LocateByKey(db::Table& table, const std::string& index, const std::string& field, const std::string& value);

// The choices of a locate dialog, kept from one showing to the next.
class LocateChoice {
 public:
  enum class By { RecordNumber, Key };
  By by = By::RecordNumber;
  std::string key_field;
  std::string key_index;

  // Button1Click: nothing for an empty value; else searches. True when the
  // dialog may close.
  bool Locate(db::Table& table, const std::string& value) const;
};

// TF_change_r2's two keys: "报表编号" and "法人代码".
void ChooseReportNumber(LocateChoice& choice);
void ChooseLegalPersonCode(LocateChoice& choice);

// A key of TF_change_r2 is offered only on a table that has its index (the
// master); a detail in the all-enterprises scope is located by number.
bool HasIndex(db::Table& table, const std::string& index);

}  // namespace veltra::entry
