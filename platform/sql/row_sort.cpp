#include "platform/sql/row_sort.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "platform/sql/value_ops.h"

namespace veltra::sql {
namespace {

// A number as an unsigned integer of the same order (0 and -0 alike).
std::uint64_t OrderedBits(double number) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(number == 0 ? 0.0 : number);
  return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

// The keys of every row, row after row, as integers that ascend in the
// order of the sort: SortCompare's order (null below every number),
// reversed for a descending key. Empty when a key holds anything but a
// number or null, or NaN, which SortCompare finds equal to every number.
std::vector<std::uint64_t> NumberKeys(const std::vector<Row>& rows, const std::vector<SortKey>& keys) {
  std::vector<std::uint64_t> flat;
  flat.reserve(rows.size() * keys.size());
  for (const Row& row : rows) {
    for (const SortKey& key : keys) {
      const Value& value = row[key.value];
      std::uint64_t ordered = 0;
      if (value.is_number() && !std::isnan(value.AsDouble())) {
        ordered = OrderedBits(value.AsDouble());
      } else if (!value.is_null()) {
        return {};
      }
      flat.push_back(key.descending ? ~ordered : ordered);
    }
  }
  return flat;
}

// Sorts the rows on the keys taken out beforehand, ties broken by the row
// number (which makes it stable), and moves every row once into its place.
void SortByNumberKeys(std::vector<Row>& rows, std::size_t width, const std::vector<std::uint64_t>& flat) {
  struct Keyed {
    std::uint64_t first;
    std::uint32_t row;
  };
  std::vector<Keyed> order(rows.size());
  for (std::uint32_t r = 0; r < order.size(); ++r) order[r] = {flat[r * width], r};
  std::sort(order.begin(), order.end(), [&](const Keyed& a, const Keyed& b) {
    if (a.first != b.first) return a.first < b.first;
    for (std::size_t k = 1; k < width; ++k) {
      const std::uint64_t x = flat[a.row * width + k];
      const std::uint64_t y = flat[b.row * width + k];
      if (x != y) return x < y;
    }
    return a.row < b.row;
  });
  std::vector<Row> sorted;
  sorted.reserve(rows.size());
  for (const Keyed& keyed : order) sorted.push_back(std::move(rows[keyed.row]));
  rows = std::move(sorted);
}

}  // namespace

void SortRows(std::vector<Row>& rows, const std::vector<SortKey>& keys) {
  if (keys.empty() || rows.size() < 2) return;
  if (rows.size() <= UINT32_MAX) {
    const std::vector<std::uint64_t> flat = NumberKeys(rows, keys);
    if (!flat.empty()) {
      SortByNumberKeys(rows, keys.size(), flat);
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
