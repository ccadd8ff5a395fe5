#pragma once
// ORDER BY over produced rows: stable, in the total order of SortCompare.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/sql/select_plan.h"

namespace veltra::sql {

void SortRows(std::vector<Row>& rows, const std::vector<SortKey>& keys);

// The value of key `k` (an index into the keys) of row `r`, asked for a
// key at a time, the keys in order; it must stay where it is until the
// next key is asked for.
using KeyValue = std::function<const Value&(std::size_t k, std::size_t r)>;
// The positions of `rows` rows in the order of `keys`, ties in position order.
std::vector<std::uint32_t> SortedPositions(std::size_t rows, const std::vector<SortKey>& keys,
                                           const KeyValue& key_value);

}  // namespace veltra::sql
