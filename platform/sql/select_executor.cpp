#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "platform/sql/compensated_sum.h"
#include "platform/sql/row_sort.h"
#include "platform/sql/select_plan.h"
#include "platform/sql/value_ops.h"
#include "platform/types/error.h"

namespace veltra::sql {
namespace {

struct ValueEqual {
  bool operator()(const Value& a, const Value& b) const { return SortCompare(a, b) == 0; }
};
using HashIndex = std::unordered_map<Value, std::vector<std::size_t>, ValueHash, ValueEqual>;

// Running state of one aggregate in one group.
struct AggregateState {
  CompensatedSum sum;
  std::int64_t count = 0;
  Value best;  // MIN/MAX
};

void Accumulate(const AggregateProgram& aggregate, RowSet rows, AggregateState& state) {
  if (aggregate.kind == AggregateKind::CountStar) {
    ++state.count;
    return;
  }
  Value scratch;
  const Value& value = aggregate.argument->Get(rows, scratch);
  if (value.is_null()) return;
  ++state.count;
  switch (aggregate.kind) {
    case AggregateKind::Sum:
    case AggregateKind::Avg: state.sum.Add(ToNumber(value)); break;
    case AggregateKind::Min:
      if (state.best.is_null() || *CompareValues(value, state.best) < 0) state.best = value;
      break;
    case AggregateKind::Max:
      if (state.best.is_null() || *CompareValues(value, state.best) > 0) state.best = value;
      break;
    default: break;
  }
}

Value Finish(AggregateKind kind, const AggregateState& state) {
  switch (kind) {
    case AggregateKind::Count:
    case AggregateKind::CountStar: return Value::Integer(state.count);
    case AggregateKind::Sum: return state.count == 0 ? Value() : Value::Float(state.sum.Total());
    case AggregateKind::Avg:
      return state.count == 0 ? Value() : Value::Float(state.sum.Total() / static_cast<double>(state.count));
    case AggregateKind::Min:
    case AggregateKind::Max: return state.best;
  }
  return Value();
}

bool AllTrue(const std::vector<TruthProgram>& conditions, RowSet rows) {
  for (const TruthProgram& condition : conditions) {
    if (condition(rows) != Truth::True) return false;
  }
  return true;
}

class SelectRun {
 public:
  explicit SelectRun(const SelectPlan& plan)
      : plan_(plan),
        current_(plan.steps.size(), nullptr),
        read_(plan.steps.size()),
        indexes_(plan.steps.size()),
        candidates_(plan.steps.size()) {
    for (std::size_t level = 0; level < plan.steps.size(); ++level) {
      indexes_[level].resize(plan.steps[level].lookups.size());
    }
  }

  std::vector<Row> Run() {
    Visit(0);
    if (plan_.grouped) EmitGroups();
    if (plan_.distinct) RemoveDuplicates();
    SortRows(produced_, plan_.sort);
    const std::size_t width = plan_.outputs.size();
    for (Row& row : produced_) row.resize(width);
    return std::move(produced_);
  }

 private:
  void Visit(std::size_t level) {
    if (level == plan_.steps.size()) {
      Produce();
      return;
    }
    const JoinStep& step = plan_.steps[level];
    bool matched = false;
    auto consider = [&](std::size_t position) {
      Row& row = read_[level];
      step.table->ReadRow(position, &step.read, row);
      CountCombination();
      current_[level] = &row;
      if (!AllTrue(step.match, current_.data())) return;
      matched = true;
      if (AllTrue(step.filters, current_.data())) Visit(level + 1);
    };
    if (step.lookups.size() == 1) {
      if (const std::vector<std::size_t>* found = Find(level, 0)) {
        for (std::size_t position : *found) consider(position);
      }
    } else if (!step.lookups.empty()) {
      // The union of the lookups, each row once and in table order, as a
      // scan would meet the rows that can pass.
      std::vector<std::size_t>& candidates = candidates_[level];
      candidates.clear();
      for (std::size_t lookup = 0; lookup < step.lookups.size(); ++lookup) {
        if (const std::vector<std::size_t>* found = Find(level, lookup)) {
          candidates.insert(candidates.end(), found->begin(), found->end());
        }
      }
      std::sort(candidates.begin(), candidates.end());
      candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
      for (std::size_t position : candidates) consider(position);
    } else if (level == 0) {
      // Visited once: the rows need not stay in memory, and only those
      // that pass the first table's own conditions are read whole.
      step.table->ScanRows({step.tested,
                            [&](const Row& row) {
                              CountCombination();
                              current_[0] = &row;
                              return AllTrue(step.filters, current_.data());
                            },
                            step.used,
                            [&](const Row& row) {
                              current_[0] = &row;
                              Visit(1);
                            }});
    } else {
      const std::size_t count = step.table->row_count();
      for (std::size_t position = 0; position < count; ++position) consider(position);
    }
    if (!matched && step.left_outer) {
      current_[level] = &step.null_row;
      if (AllTrue(step.filters, current_.data())) Visit(level + 1);
    }
  }

  // Joins without usable conditions grow as the product of the tables; a
  // typed statement must end with an error rather than hang the program.
  void CountCombination() {
    if (++combinations_ > kMaxCombinations) {
      ErrorSubject subject;
      subject.reason = "连接的表组合出了超过" + std::to_string(kMaxCombinations) + "条记录，请按关键字段连接各表";
      throw EngineError(EngineError::Kind::Unsupported, subject.reason, subject);
    }
  }

  // The positions of the rows that lookup `lookup` of step `level` finds
  // for the current rows of the earlier tables; null for none.
  const std::vector<std::size_t>* Find(std::size_t level, std::size_t lookup) {
    const KeyLookup& key_lookup = plan_.steps[level].lookups[lookup];
    const Value key = key_lookup.probe(current_.data());
    if (key.is_null()) return nullptr;
    std::unique_ptr<HashIndex>& index = indexes_[level][lookup];
    if (!index) index = BuildIndex(*plan_.steps[level].table, key_lookup.build_column);
    const auto found = index->find(key);
    return found == index->end() ? nullptr : &found->second;
  }

  static std::unique_ptr<HashIndex> BuildIndex(const TableSource& table, int column) {
    auto index = std::make_unique<HashIndex>();
    const std::size_t count = table.row_count();
    const std::vector<std::size_t> key_column = {static_cast<std::size_t>(column)};
    Row row;
    for (std::size_t position = 0; position < count; ++position) {
      table.ReadRow(position, &key_column, row);
      const Value& key = row[column];
      if (!key.is_null()) (*index)[key].push_back(position);
    }
    return index;
  }

  void Produce() {
    RowSet rows = current_.data();
    if (!plan_.grouped) {
      produced_.push_back(Evaluate(rows));
      return;
    }
    std::vector<Value> key;
    key.reserve(plan_.group_keys.size());
    for (const ValueProgram& program : plan_.group_keys) key.push_back(program(rows));
    auto [entry, inserted] = group_index_.try_emplace(std::move(key), groups_.size());
    if (inserted) {
      groups_.push_back(&entry->first);
      states_.emplace_back(plan_.aggregates.size());
    }
    std::vector<AggregateState>& states = states_[entry->second];
    for (std::size_t a = 0; a < plan_.aggregates.size(); ++a) Accumulate(plan_.aggregates[a], rows, states[a]);
  }

  Row Evaluate(RowSet rows) const {
    Row row;
    row.reserve(plan_.outputs.size() + plan_.extra_sort_values.size());
    Value scratch;
    for (const ValueOperand& output : plan_.outputs) row.push_back(output.Get(rows, scratch));
    for (const ValueOperand& value : plan_.extra_sort_values) row.push_back(value.Get(rows, scratch));
    return row;
  }

  // Groups come out in the order of their keys; without GROUP BY there is
  // exactly one group, even over no rows.
  void EmitGroups() {
    if (plan_.group_keys.empty() && groups_.empty()) {
      static const std::vector<Value> kNoKey;
      groups_.push_back(&kNoKey);
      states_.emplace_back(plan_.aggregates.size());
    }
    std::vector<std::size_t> order(groups_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
      const std::vector<Value>& x = *groups_[a];
      const std::vector<Value>& y = *groups_[b];
      for (std::size_t k = 0; k < x.size(); ++k) {
        const int c = SortCompare(x[k], y[k]);
        if (c != 0) return c < 0;
      }
      return false;
    });
    for (std::size_t g : order) {
      Row group_row = *groups_[g];
      for (std::size_t a = 0; a < plan_.aggregates.size(); ++a) {
        group_row.push_back(Finish(plan_.aggregates[a].kind, states_[g][a]));
      }
      const Row* rows[] = {&group_row};
      if (plan_.having && (*plan_.having)(rows) != Truth::True) continue;
      produced_.push_back(Evaluate(rows));
    }
  }

  void RemoveDuplicates() {
    const std::size_t width = plan_.outputs.size();
    std::unordered_map<std::vector<Value>, bool, RowHash, RowEqual> seen;
    std::vector<Row> kept;
    for (Row& row : produced_) {
      std::vector<Value> visible(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(width));
      if (seen.emplace(std::move(visible), true).second) kept.push_back(std::move(row));
    }
    produced_ = std::move(kept);
  }

  static constexpr std::uint64_t kMaxCombinations = 200'000'000;

  const SelectPlan& plan_;
  std::uint64_t combinations_ = 0;
  std::vector<const Row*> current_;
  std::vector<Row> read_;  // per step: the row being considered, read from its table
  std::vector<std::vector<std::unique_ptr<HashIndex>>> indexes_;  // per step, per lookup, built on first use
  std::vector<std::vector<std::size_t>> candidates_;              // per step: the rows its lookups found
  std::vector<Row> produced_;
  std::unordered_map<std::vector<Value>, std::size_t, RowHash, RowEqual> group_index_;
  std::vector<const std::vector<Value>*> groups_;
  std::vector<std::vector<AggregateState>> states_;
};

}  // namespace

std::vector<Row> ExecuteSelect(const SelectPlan& plan) { return SelectRun(plan).Run(); }

}  // namespace veltra::sql
