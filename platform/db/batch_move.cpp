#include "platform/db/batch_move.h"

#include "platform/db/field_value.h"
#include "platform/db/record_store.h"

namespace veltra::db {
namespace {

void CheckWidth(std::size_t columns, const FieldDefs& target, std::string_view owner) {
  if (columns <= target.size()) return;
  ErrorSubject subject;
  subject.table = std::string(owner);
  subject.reason = "源数据有" + std::to_string(columns) + "列，表只有" + std::to_string(target.size()) + "个字段";
  throw EngineError(EngineError::Kind::TypeMismatch, std::string(owner) + ": " + subject.reason, subject);
}

// Converts the first `columns` values of a record with `convert`, naming
// the source record in a refusal.
template <typename Convert>
void ConvertRecord(std::size_t record, std::size_t columns, const FieldDefs& target, Convert convert) {
  for (std::size_t c = 0; c < columns; ++c) {
    try {
      convert(c, target[c]);
    } catch (const EngineError& error) {
      ErrorSubject subject = error.subject();
      subject.reason += "（源数据第" + std::to_string(record + 1) + "条记录）";
      throw EngineError(error.kind(), std::string(error.what()) + " (batch move, source record " +
                                          std::to_string(record + 1) + ")",
                        subject);
    }
  }
}

// What the move opens it closes again, so that the caller can empty or
// rewrite the tables right after it.
struct CloseAfter {
  DataSet* data_set;
  ~CloseAfter() {
    if (data_set) data_set->Close();
  }
};

CloseAfter OpenForMove(DataSet& data_set) {
  if (data_set.Active()) return {nullptr};
  data_set.Open();
  return {&data_set};
}

}  // namespace

std::vector<Row> ConvertRows(DataSet& source, const FieldDefs& target, std::string_view owner) {
  const std::size_t columns = source.FieldLayout().size();
  CheckWidth(columns, target, owner);
  const std::size_t count = static_cast<std::size_t>(source.RecordCount());
  std::vector<Row> rows;
  rows.reserve(count);
  for (std::size_t r = 0; r < count; ++r) {
    const Row& from = source.RecordAt(r);
    Row row(target.size());
    ConvertRecord(r, columns, target,
                  [&](std::size_t c, const FieldDef& field) { row[c] = ConvertToField(from[c], field, owner); });
    rows.push_back(std::move(row));
  }
  return rows;
}

std::size_t BatchMove::Execute() {
  moved_ = 0;
  if (!Source || !Destination) {
    throw EngineError(EngineError::Kind::State, "batch move needs a source and a destination");
  }
  const CloseAfter close_source = OpenForMove(*Source);
  const CloseAfter close_destination = OpenForMove(*Destination);
  return Insert(ConvertRows(*Source, Destination->FieldLayout(), Destination->DisplayName()));
}

std::size_t BatchMove::Execute(std::vector<Row> rows) {
  moved_ = 0;
  if (!Destination) throw EngineError(EngineError::Kind::State, "batch move needs a destination");
  const CloseAfter close_destination = OpenForMove(*Destination);
  const FieldDefs& layout = Destination->FieldLayout();
  const std::string owner = Destination->DisplayName();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    Row& row = rows[r];
    const std::size_t columns = row.size();
    CheckWidth(columns, layout, owner);
    ConvertRecord(r, columns, layout,
                  [&](std::size_t c, const FieldDef& field) { ConvertInField(row[c], field, owner); });
    row.resize(layout.size());
  }
  return Insert(std::move(rows));
}

std::size_t BatchMove::Insert(std::vector<Row> rows) {
  const FieldDefs& layout = Destination->FieldLayout();
  const std::size_t count = rows.size();
  if (!NumberField.empty()) {
    const std::string owner = Destination->DisplayName();
    const int numbered = FindField(layout, NumberField);
    if (numbered < 0) {
      throw EngineError(EngineError::Kind::NoSuchField, owner + " has no field " + NumberField + " to number the moved rows");
    }
    const FieldDef& field = layout[static_cast<std::size_t>(numbered)];
    for (std::size_t r = 0; r < count; ++r) {
      rows[r][static_cast<std::size_t>(numbered)] = ConvertToField(Value::Text(std::to_string(r + 1)), field, owner);
    }
  }
  Destination->CheckBrowseMode();
  // Nothing to write: no group of writes, and none of its syncs.
  if (count == 0) return moved_;
  Destination->store().InsertMany(std::move(rows));
  Destination->Refresh();
  moved_ = count;
  return moved_;
}

}  // namespace veltra::db
