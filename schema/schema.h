#pragma once
// The definitions of every table of the system, read once from the
// definition files built into the program (schema/tables/*.txt).
//
//   const TableDef* table = schema::FindTable("KFQ_1.DB");
//   for (const IndexDef& index : table->indexes) ...
#include <string_view>
#include <vector>

#include "schema/table_def.h"

namespace veltra::schema {

// Every table and layout, in the order of the definition files.
const std::vector<TableDef>& AllTables();

// The survey data tables (kfq_1.db ... sjgxq.db).
std::vector<const TableDef*> SurveyTables();

// The definition of the file `name` (a bare file name; any letter case; a
// name without extension means ".db"): the table of that name, else the
// layout it belongs to ("kfq1_chk" -> "*_chk.db"); null for an unknown file.
const TableDef* FindTable(std::string_view name);

// The tables whose master is `master_file` (kfq_1.db -> kfq_2.db, kfq_5.db).
std::vector<const TableDef*> DetailsOf(std::string_view master_file);

}  // namespace veltra::schema
