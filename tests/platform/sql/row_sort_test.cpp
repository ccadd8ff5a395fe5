#include "platform/sql/row_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "platform/sql/value_ops.h"

namespace veltra::sql {
namespace {

// The order every ORDER BY must give: a stable sort on SortCompare.
std::vector<Row> ReferenceSort(std::vector<Row> rows, const std::vector<SortKey>& keys) {
  std::stable_sort(rows.begin(), rows.end(), [&keys](const Row& a, const Row& b) {
    for (const SortKey& key : keys) {
      const int c = SortCompare(a[key.value], b[key.value]);
      if (c != 0) return key.descending ? c > 0 : c < 0;
    }
    return false;
  });
  return rows;
}

// Few distinct amounts, so that ties (1 and 1.0, 0 and -0.0, nulls) are
// common; `odd`, when given, now and then (a text, NaN).
Value Amount(std::mt19937& random, const Value& odd) {
  switch (random() % 7) {
    case 0: return Value();
    case 1: return Value::Integer(static_cast<int>(random() % 5) - 2);
    case 2: return Value::Float(static_cast<double>(random() % 5) - 2);
    case 3: return Value::Float(-0.0);
    case 4: return Value::Float(random() % 2 ? 1e300 : -HUGE_VAL);
    case 5: return odd.is_null() || random() % 8 != 0 ? Value::Float(0.5) : odd;
    default: return Value::Float((static_cast<double>(random() % 2000) - 1000) / 8);
  }
}

// Rows carry their production order in the last column, so that any
// reordering of equal keys shows.
TEST(RowSort, GivesTheOrderOfTheGeneralSort) {
  const struct {
    const char* what;
    std::vector<SortKey> keys;
    Value odd;
  } cases[] = {
      {"one key descending", {{0, true}}, Value()},
      {"one key ascending", {{0, false}}, Value()},
      {"two keys, mixed directions", {{1, false}, {0, true}}, Value()},
      {"a text among the numbers", {{0, true}}, Value::Text("12")},
      {"NaN among the numbers", {{1, false}, {0, true}}, Value::Float(std::nan(""))},
  };
  std::mt19937 random(7);
  for (const auto& c : cases) {
    for (const std::size_t count : {0u, 1u, 2u, 17u, 3000u}) {
      std::vector<Row> rows;
      for (std::size_t r = 0; r < count; ++r) {
        rows.push_back({Amount(random, c.odd), Amount(random, c.odd), Value::Integer(static_cast<int>(r))});
      }
      const std::vector<Row> expected = ReferenceSort(rows, c.keys);
      SortRows(rows, c.keys);
      ASSERT_EQ(rows.size(), expected.size());
      for (std::size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r][2], expected[r][2]) << c.what << ", " << count << " rows, row " << r;
      }
    }
  }
}

}  // namespace
}  // namespace veltra::sql
