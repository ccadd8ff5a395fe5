#pragma once
// Definition of one index of a table: which fields, in which order, and
// whether keys must be unique. Indexes live in memory only; they are built
// when the table opens, from these definitions or the file's key fields.
#include <string>
#include <vector>

namespace veltra::db {

struct IndexDef {
  std::string name;    // "" for the primary index of a keyed file
  std::string fields;  // field names separated by ';' ("QA01;QE01")
  bool primary = false;
  bool unique = false;  // a primary index is always unique
  bool case_insensitive = false;
  bool descending = false;

  friend bool operator==(const IndexDef&, const IndexDef&) = default;
};

using IndexDefs = std::vector<IndexDef>;

// "QA01;QE01" -> {"QA01", "QE01"}; blanks around names are dropped.
std::vector<std::string> SplitFieldList(const std::string& fields);

}  // namespace veltra::db
