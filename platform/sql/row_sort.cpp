#include "platform/sql/row_sort.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
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

// Each row's code of a key, in codes[row * stride + offset]. Codes compare
// as the key's values do under SortCompare, reversed when the key descends.
using Codes = std::vector<std::uint64_t>;

// A number as an unsigned integer of the same order (0 and -0 alike),
// above the 0 that stands for null.
std::uint64_t OrderedBits(double number) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(number == 0 ? 0.0 : number);
  return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

// A key whose values are all numbers or null (ORDER BY an amount) is coded
// by the values themselves; false, for ranking, when one is anything else,
// or NaN, which SortCompare finds equal to every number.
bool CodeNumberKey(std::size_t rows, const KeyValue& key_value, const SortKey& key, std::size_t stride,
                   std::size_t offset, Codes& codes) {
  for (std::size_t r = 0; r < rows; ++r) {
    const Value& value = key_value(offset, r);
    std::uint64_t code = 0;
    if (value.is_number() && !std::isnan(value.AsDouble())) {
      code = OrderedBits(value.AsDouble());
    } else if (!value.is_null()) {
      return false;
    }
    codes[r * stride + offset] = key.descending ? ~code : code;
  }
  return true;
}

// Codes each row by the place of its key value among the distinct values
// of that key, counted from the end when the key descends: a column of few
// distinct texts is compared in GBK order once per pair of distinct values
// instead of once per pair of rows. Returns the number of ranks.
std::uint64_t RankKey(std::size_t rows, const KeyValue& key_value, const SortKey& key, std::size_t stride,
                      std::size_t offset, Codes& codes) {
  std::unordered_map<const Value*, std::uint32_t, ValuePointerHash, ValuePointerEqual> ids;
  std::vector<const Value*> distinct;
  for (std::size_t r = 0; r < rows; ++r) {
    const Value* value = &key_value(offset, r);
    const auto [entry, added] = ids.try_emplace(value, static_cast<std::uint32_t>(distinct.size()));
    if (added) distinct.push_back(value);
    codes[r * stride + offset] = entry->second;
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
  for (std::size_t r = 0; r < rows; ++r) {
    std::uint64_t& slot = codes[r * stride + offset];
    slot = key.descending ? rank - rank_of[slot] : rank_of[slot];
  }
  return distinct.empty() ? 0 : std::uint64_t{rank} + 1;
}

constexpr std::uint64_t kRowBits = std::uint64_t{1} << 32;

// The row numbers in sorted order; ties go by the order in which the rows
// were produced. `spans[k]` is the number of codes key k takes (0 when
// they are not dense): when all keys of a row fit in 32 bits as one
// number, the row sorts as that number followed by its own.
std::vector<std::uint32_t> SortedOrder(const Codes& codes, const std::vector<std::uint64_t>& spans, std::size_t rows) {
  const std::size_t stride = spans.size();
  std::vector<std::uint32_t> order(rows);
  // Stops once past 32 bits, so that the product never overflows.
  std::uint64_t span = 1;
  for (std::uint64_t count : spans) {
    span = count == 0 ? kRowBits : span * count;
    if (span >= kRowBits) break;
  }
  if (span < kRowBits) {
    std::vector<std::uint64_t> packed(rows);
    for (std::size_t r = 0; r < rows; ++r) {
      std::uint64_t key = 0;
      for (std::size_t k = 0; k < stride; ++k) key = key * spans[k] + codes[r * stride + k];
      packed[r] = key << 32 | r;
    }
    std::sort(packed.begin(), packed.end());
    for (std::size_t i = 0; i < rows; ++i) order[i] = static_cast<std::uint32_t>(packed[i]);
    return order;
  }
  // The first key beside its row, so that most comparisons read one entry.
  struct Keyed {
    std::uint64_t first;
    std::uint32_t row;
  };
  std::vector<Keyed> keyed(rows);
  for (std::uint32_t r = 0; r < rows; ++r) keyed[r] = {codes[r * stride], r};
  std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
    if (a.first != b.first) return a.first < b.first;
    const std::uint64_t* x = &codes[a.row * stride];
    const std::uint64_t* y = &codes[b.row * stride];
    for (std::size_t k = 1; k < stride; ++k) {
      if (x[k] != y[k]) return x[k] < y[k];
    }
    return a.row < b.row;
  });
  for (std::size_t i = 0; i < rows; ++i) order[i] = keyed[i].row;
  return order;
}

}  // namespace

std::vector<std::uint32_t> SortedPositions(std::size_t rows, const std::vector<SortKey>& keys,
                                           const KeyValue& key_value) {
  const std::size_t stride = keys.size();
  Codes codes(rows * stride);
  std::vector<std::uint64_t> spans(stride);
  for (std::size_t k = 0; k < stride; ++k) {
    spans[k] = CodeNumberKey(rows, key_value, keys[k], stride, k, codes)
                   ? 0
                   : RankKey(rows, key_value, keys[k], stride, k, codes);
  }
  return SortedOrder(codes, spans, rows);
}

void SortRows(std::vector<Row>& rows, const std::vector<SortKey>& keys) {
  if (keys.empty() || rows.size() < 2) return;
  const std::vector<std::uint32_t> order = SortedPositions(
      rows.size(), keys, [&](std::size_t k, std::size_t r) -> const Value& { return rows[r][keys[k].value]; });
  std::vector<Row> sorted;
  sorted.reserve(rows.size());
  for (std::uint32_t r : order) sorted.push_back(std::move(rows[r]));
  rows = std::move(sorted);
}

}  // namespace veltra::sql
