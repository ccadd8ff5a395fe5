#include "platform/sql/row_sort.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "platform/sql/value_ops.h"

namespace veltra::sql {
namespace {

// A sort key value that is null or a number, as SortCompare orders it:
// nulls first, then numbers by their value as doubles.
struct NumberKey {
  bool present = false;
  double number = 0;
};

int CompareNumberKeys(NumberKey a, NumberKey b) {
  if (a.present != b.present) return a.present ? 1 : -1;
  if (!a.present) return 0;
  return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
}

// The keys of every row, row after row, when all of them are null or
// numbers (ORDER BY an amount); empty otherwise.
std::vector<NumberKey> NumberKeys(const std::vector<Row>& rows, const std::vector<SortKey>& keys) {
  std::vector<NumberKey> flat;
  flat.reserve(rows.size() * keys.size());
  for (const Row& row : rows) {
    for (const SortKey& key : keys) {
      const Value& value = row[key.value];
      if (value.is_null()) {
        flat.push_back({});
      } else if (value.is_number()) {
        flat.push_back({true, value.AsDouble()});
      } else {
        return {};
      }
    }
  }
  return flat;
}

// The comparisons of the general sort on the keys taken out beforehand, so
// that the rows are moved once, into their places.
void SortByNumberKeys(std::vector<Row>& rows, const std::vector<SortKey>& keys, const std::vector<NumberKey>& flat) {
  std::vector<std::uint32_t> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  const std::size_t width = keys.size();
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    for (std::size_t k = 0; k < width; ++k) {
      const int c = CompareNumberKeys(flat[a * width + k], flat[b * width + k]);
      if (c != 0) return keys[k].descending ? c > 0 : c < 0;
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
    const std::vector<NumberKey> flat = NumberKeys(rows, keys);
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
