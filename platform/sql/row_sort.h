#pragma once
// ORDER BY over produced rows.
#include <vector>

#include "platform/sql/select_plan.h"

namespace veltra::sql {

// Sorts `rows` by `keys` in SortCompare order, stably, so that rows of
// equal keys keep the order in which they were produced.
void SortRows(std::vector<Row>& rows, const std::vector<SortKey>& keys);

}  // namespace veltra::sql
