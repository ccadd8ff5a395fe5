#pragma once
// What a banded report reads its records through. A data set of the table
// engine, or any list of rows, is wrapped in this to be printed.
#include <string>
#include <vector>

#include "platform/types/value.h"

namespace veltra::print {

class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // Names of the fields in record order. A report binds its data texts and
  // expressions to these once, before the first page, ignoring ASCII case.
  virtual std::vector<std::string> FieldNames() const = 0;
  virtual int RecordCount() const = 0;
  // Makes record `index` (0-based, below RecordCount) the current one.
  virtual void MoveTo(int index) = 0;
  // Field `field` (an index into FieldNames) of the current record.
  virtual Value FieldValue(int field) const = 0;
};

}  // namespace veltra::print
