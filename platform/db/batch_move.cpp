#include "platform/db/batch_move.h"

#include "platform/db/field_value.h"
#include "platform/db/record_store.h"

namespace veltra::db {

std::vector<Row> ConvertRows(DataSet& source, const FieldDefs& target, std::string_view owner) {
  const std::size_t columns = source.FieldLayout().size();
  if (columns > target.size()) {
    ErrorSubject subject;
    subject.table = std::string(owner);
    subject.reason = "源数据有" + std::to_string(columns) + "列，表只有" + std::to_string(target.size()) + "个字段";
    throw EngineError(EngineError::Kind::TypeMismatch, std::string(owner) + ": " + subject.reason, subject);
  }
  const std::size_t count = static_cast<std::size_t>(source.RecordCount());
  std::vector<Row> rows;
  rows.reserve(count);
  for (std::size_t r = 0; r < count; ++r) {
    const Row& from = source.RecordAt(r);
    Row row(target.size());
    for (std::size_t c = 0; c < columns; ++c) {
      try {
        row[c] = ConvertToField(from[c], target[c], owner);
      } catch (const EngineError& error) {
        ErrorSubject subject = error.subject();
        subject.reason += "（源数据第" + std::to_string(r + 1) + "条记录）";
        throw EngineError(error.kind(), std::string(error.what()) + " (batch move, source record " +
                                            std::to_string(r + 1) + ")",
                          subject);
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::size_t BatchMove::Execute() {
  moved_ = 0;
  if (!Source || !Destination) {
    throw EngineError(EngineError::Kind::State, "batch move needs a source and a destination");
  }
  // What the move opens it closes again, so that the caller can empty or
  // rewrite the tables right after it.
  const bool open_source = !Source->Active();
  const bool open_destination = !Destination->Active();
  if (open_source) Source->Open();
  struct CloseAfter {
    DataSet* data_set;
    ~CloseAfter() {
      if (data_set) data_set->Close();
    }
  } close_source{open_source ? Source : nullptr};
  if (open_destination) Destination->Open();
  CloseAfter close_destination{open_destination ? Destination : nullptr};
  const FieldDefs& layout = Destination->FieldLayout();
  std::vector<Row> rows = ConvertRows(*Source, layout, Destination->DisplayName());
  const std::size_t count = rows.size();
  if (!NumberField.empty()) {
    const int numbered = FindField(layout, NumberField);
    if (numbered < 0) {
      throw EngineError(EngineError::Kind::NoSuchField,
                        Destination->DisplayName() + " has no field " + NumberField + " to number the moved rows");
    }
    const FieldDef& field = layout[static_cast<std::size_t>(numbered)];
    for (std::size_t r = 0; r < count; ++r) {
      rows[r][static_cast<std::size_t>(numbered)] =
          ConvertToField(Value::Text(std::to_string(r + 1)), field, Destination->DisplayName());
    }
  }
  Destination->CheckBrowseMode();
  Destination->store().InsertMany(std::move(rows));
  Destination->Refresh();
  moved_ = count;
  return moved_;
}

}  // namespace veltra::db
