#include "platform/sql/row_sort.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "platform/sql/value_ops.h"

namespace veltra::sql {
namespace {

// A number as an unsigned integer of the same order (0 and -0 alike).
std::uint64_t OrderedBits(double number) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(number == 0 ? 0.0 : number);
  return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

// The keys of every row, row after row, in SortCompare's order: null as 0,
// below every number. Empty when a key holds anything but a number or
// null, or NaN, which SortCompare finds equal to every number.
std::vector<std::uint64_t> NumberKeys(const std::vector<Row>& rows, const std::vector<SortKey>& keys) {
  std::vector<std::uint64_t> flat;
  flat.reserve(rows.size() * keys.size());
  for (const Row& row : rows) {
    for (const SortKey& key : keys) {
      const Value& value = row[key.value];
      if (value.is_null()) {
        flat.push_back(0);
      } else if (value.is_number() && !std::isnan(value.AsDouble())) {
        flat.push_back(OrderedBits(value.AsDouble()));
      } else {
        return {};
      }
    }
  }
  return flat;
}

// Sorts row numbers on the keys taken out beforehand, so that the rows
// are moved once, into their places.
void SortByNumberKeys(std::vector<Row>& rows, const std::vector<SortKey>& keys,
                      const std::vector<std::uint64_t>& flat) {
  std::vector<std::uint32_t> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  const std::size_t width = keys.size();
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    for (std::size_t k = 0; k < width; ++k) {
      const std::uint64_t x = flat[a * width + k];
      const std::uint64_t y = flat[b * width + k];
      if (x != y) return keys[k].descending ? x > y : x < y;
    }
    return false;
  });
  std::vector<Row> sorted;
  sorted.reserve(rows.size());
  for (const std::uint32_t r : order) sorted.push_back(std::move(rows[r]));
  rows = std::move(sorted);
}

}  // namespace

void SortRows(std::vector<Row>& rows, const std::vector<SortKey>& keys) {
  if (keys.empty() || rows.size() < 2) return;
  if (rows.size() <= UINT32_MAX) {
    const std::vector<std::uint64_t> flat = NumberKeys(rows, keys);
    if (!flat.empty()) {
      SortByNumberKeys(rows, keys, flat);
      return;
    }
  }
  std::stable_sort(rows.begin(), rows.end(), [&keys](const Row& a, const Row& b) {
    for (const SortKey& key : keys) {
      const int c = SortCompare(a[key.value], b[key.value]);
      if (c != 0) return key.descending ? c > 0 : c < 0;
    }
    return false;
  });
}

}  // namespace veltra::sql
