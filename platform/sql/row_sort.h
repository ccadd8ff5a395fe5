#pragma once
// ORDER BY over produced rows: stable, in the total order of SortCompare.
#include <vector>

#include "platform/sql/select_plan.h"

namespace veltra::sql {

void SortRows(std::vector<Row>& rows, const std::vector<SortKey>& keys);

}  // namespace veltra::sql
