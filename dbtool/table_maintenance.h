#pragma once
// "PACK数据库" and "清空数据库" on the table the tool has open: the table
// is closed, rewritten in its own format (a dBase table stays dBase) and
// opened again, also when the rewrite fails, so the grid keeps showing it.
#include "platform/db/table.h"

namespace veltra::dbtool {

void PackOpenedTable(db::Table& table);
void EmptyOpenedTable(db::Table& table);

}  // namespace veltra::dbtool
