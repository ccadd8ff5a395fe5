#include "platform/sql/row_sort.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <unordered_map>

#include "platform/sql/value_ops.h"

namespace veltra::sql {
namespace {

struct ValuePointerHash {
  std::size_t operator()(const Value* value) const noexcept { return ValueHash()(*value); }
};
// Texts by their bytes, as ValueHash hashes them (texts that differ only
// in characters GBK cannot hold sort alike, but hash apart).
struct ValuePointerEqual {
  bool operator()(const Value* a, const Value* b) const {
    if (a->kind() == Value::Kind::Text && b->kind() == Value::Kind::Text) return a->text() == b->text();
    return SortCompare(*a, *b) == 0;
  }
};

// Writes into ranks[row * stride + key] the place of each row's key value
// among the distinct values of that key, counted from the end when the key
// descends: a column of few distinct texts is compared in GBK order once
// per pair of distinct values instead of once per pair of rows. Returns
// the number of ranks.
std::uint32_t RankKey(const std::vector<Row>& rows, const SortKey& key, std::size_t stride, std::size_t offset,
             std::vector<std::uint32_t>& ranks) {
  std::unordered_map<const Value*, std::uint32_t, ValuePointerHash, ValuePointerEqual> ids;
  std::vector<const Value*> distinct;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const Value* value = &rows[r][key.value];
    const auto [entry, added] = ids.try_emplace(value, static_cast<std::uint32_t>(distinct.size()));
    if (added) distinct.push_back(value);
    ranks[r * stride + offset] = entry->second;
  }
  std::vector<std::uint32_t> order(distinct.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [&](std::uint32_t a, std::uint32_t b) { return SortCompare(*distinct[a], *distinct[b]) < 0; });
  // Values told apart above may still sort as equal: they share a rank.
  std::vector<std::uint32_t> rank_of(distinct.size());
  std::uint32_t rank = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i > 0 && SortCompare(*distinct[order[i - 1]], *distinct[order[i]]) != 0) ++rank;
    rank_of[order[i]] = rank;
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    std::uint32_t& slot = ranks[r * stride + offset];
    slot = key.descending ? rank - rank_of[slot] : rank_of[slot];
  }
  return distinct.empty() ? 0 : rank + 1;
}

// The row numbers in sorted order. When the ranks of a row fit in 32 bits
// as one number, the row sorts as that number followed by its own.
std::vector<std::uint32_t> SortedOrder(const std::vector<std::uint32_t>& ranks, const std::vector<std::uint32_t>& counts,
                                       std::size_t rows) {
  const std::size_t stride = counts.size();
  std::vector<std::uint32_t> order(rows);
  std::uint64_t span = 1;
  for (std::uint32_t count : counts) span = std::min<std::uint64_t>(span * count, std::uint64_t{1} << 32);
  if (span < (std::uint64_t{1} << 32)) {
    std::vector<std::uint64_t> packed(rows);
    for (std::size_t r = 0; r < rows; ++r) {
      std::uint64_t key = 0;
      for (std::size_t k = 0; k < stride; ++k) key = key * counts[k] + ranks[r * stride + k];
      packed[r] = key << 32 | r;
    }
    std::sort(packed.begin(), packed.end());
    for (std::size_t i = 0; i < rows; ++i) order[i] = static_cast<std::uint32_t>(packed[i]);
    return order;
  }
  std::iota(order.begin(), order.end(), 0);
  // Ties go by the order in which the rows were produced.
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const std::uint32_t* x = &ranks[a * stride];
    const std::uint32_t* y = &ranks[b * stride];
    for (std::size_t k = 0; k < stride; ++k) {
      if (x[k] != y[k]) return x[k] < y[k];
    }
    return a < b;
  });
  return order;
}

}  // namespace

void SortRows(std::vector<Row>& rows, const std::vector<SortKey>& keys) {
  if (keys.empty() || rows.size() < 2) return;
  const std::size_t stride = keys.size();
  std::vector<std::uint32_t> ranks(rows.size() * stride);
  std::vector<std::uint32_t> counts(stride);
  for (std::size_t k = 0; k < stride; ++k) counts[k] = RankKey(rows, keys[k], stride, k, ranks);
  const std::vector<std::uint32_t> order = SortedOrder(ranks, counts, rows.size());
  std::vector<Row> sorted;
  sorted.reserve(rows.size());
  for (std::uint32_t r : order) sorted.push_back(std::move(rows[r]));
  rows = std::move(sorted);
}

}  // namespace veltra::sql
