#pragma once
// The field dictionary of a report kind: query_db.db names, per kind, the
// dictionary table whose rows list the fields a user may query, with their
// captions, their names in statements, their kinds and their tables. The
// query window shows the captions; the vectors here are its working lists,
// entry i of each field group describing the caption shown at place i.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/database.h"

namespace veltra::query {

inline constexpr std::string_view kDictionaryIndex = "query_db.db";

// Field kinds of the dictionary's field_type column.
inline constexpr std::string_view kTotalsOnlyType = "0";
inline constexpr std::string_view kNumericType = "N";

struct DictionaryField {
  std::string caption;     // field_text: shown, and the result's column name
  std::string field_name;  // as written into statements ("a.QA01")
  std::string type;        // field_type
  std::string table;       // table reference ("\"kfq_1.db\" a")
};

struct QueryDictionary {
  std::string caption;                        // the window's caption for the kind
  std::vector<DictionaryField> query_fields;  // listed, filtered, sorted: type not "0"
  std::vector<DictionaryField> sum_fields;    // totalled: type "N" or "0"
  std::vector<DictionaryField> group_fields;  // grouped by: any other type
  std::vector<std::string> tables;            // each table reference once, in order of first use
};

// A dictionary that cannot be read, or the values of a field that cannot
// be listed; the message (Chinese) names the table.
class DictionaryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How statements name the table of a dictionary row: a db_name ending in a
// blank and a one-letter alias ("kfq_1.db a") gives the quoted file name,
// a blank and the alias; any other db_name is quoted whole.
std::string TableReference(std::string_view db_name, std::string_view data_dir_prefix);

// The file name inside a table reference, and the alias after it (empty
// when the reference has none).
std::string TableFileOf(std::string_view reference);
std::string AliasOf(std::string_view reference);

// Reads the dictionary of report kind `kind` (its first row in query_db.db)
// whole; nothing is left open, also when it fails.
QueryDictionary LoadQueryDictionary(db::Database& database, int kind, std::string_view data_dir_prefix,
                                    std::string_view caption_suffix);

// The value of `field` in every record of its table, in table order, as a
// condition takes it: numbers as they are, anything else as a quoted
// literal; repeated and empty values are kept.
std::vector<std::string> ReadFieldValues(db::Database& database, const DictionaryField& field);

}  // namespace veltra::query
