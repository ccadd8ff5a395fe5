// ORDER BY's sort against a plain stable sort by SortCompare, on keys that
// mix kinds, repeat often, and hold texts that differ in bytes but sort
// alike (characters GBK cannot hold); on keys of numbers alone; and on keys
// with so many distinct values that their ranks do not fit in one number.
#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "platform/sql/row_sort.h"
#include "platform/sql/value_ops.h"
#include "tests/platform/sql/memory_catalog.h"

namespace veltra::sql {
namespace {

using namespace testing;

TEST(RowSortTest, AgreesWithAStableSortByTheValueOrder) {
  // The first eight, for the first column, are null or numbers only: 1 and 1.0, 0 and -0 tie.
  const std::vector<Value> pool = {Value(),        I(1),          F(1.0),        F(-2.5),       F(-0.0),
                                   I(0),           F(-HUGE_VAL),  F(1e300),      T("错误"),
                                   T("警告"),      T("OK"),       T("ok"),       T("110001"),   T("11000"),
                                   T("\xF0\x9F\x98\x80"), T("\xF0\x9F\x98\x83"), Value::Boolean(true),
                                   Value::FromDate(Date{20110101}), T("")};
  const std::vector<std::vector<SortKey>> key_sets = {
      {{0, true}, {1, false}}, {{1, false}}, {{2, true}}, {{0, false}, {2, true}, {1, true}},
      {{3, false}, {4, true}, {5, false}, {1, true}}, {{1, false}, {0, true}, {3, false}}};
  std::mt19937 random(936);
  for (const std::vector<SortKey>& keys : key_sets) {
    std::vector<Row> rows;
    for (int i = 0; i < 3000; ++i) {
      Row row;
      for (int c = 0; c < 3; ++c) row.push_back(pool[random() % (c == 0 ? 8 : pool.size())]);
      for (int c = 0; c < 3; ++c) row.push_back(T(std::to_string(random() % 3000)));
      if (i % 3 == 1) std::copy(rows.back().begin() + 1, rows.back().begin() + 6, row.begin() + 1);  // ties on every key
      row.push_back(I(i));  // the produced order, to see ties kept
      rows.push_back(std::move(row));
    }
    std::vector<Row> expected = rows;
    std::stable_sort(expected.begin(), expected.end(), [&](const Row& a, const Row& b) {
      for (const SortKey& key : keys) {
        const int c = SortCompare(a[key.value], b[key.value]);
        if (c != 0) return key.descending ? c > 0 : c < 0;
      }
      return false;
    });
    SortRows(rows, keys);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
      ASSERT_EQ(rows[r][6].integer(), expected[r][6].integer()) << "row " << r << " of key set " << &keys - key_sets.data();
    }
  }
}

}  // namespace
}  // namespace veltra::sql
