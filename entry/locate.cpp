#include "entry/locate.h"

#include <charconv>

#include "mainunit/on_exit.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"

namespace veltra::entry {

void LocateByRecordNumber(db::Table& table, const std::string& number) {
  long long n = 0;
  const char* end = number.data() + number.size();
  const auto [ptr, error] = std::from_chars(number.data(), end, n);
  if (error != std::errc() || ptr != end) {
    throw EngineError(EngineError::Kind::InvalidValue, EngineError::Words{"“" + number + "”不是有效的记录号"});
  }
  table.First();
  if (n > 1) table.MoveBy(static_cast<int>(std::min<long long>(n - 1, 1 << 30)));
}

void LocateByKey(db::Table& table, const std::string& index, const std::string& field, const std::string& value) {
  if (!index.empty()) {
    table.SetIndexFieldNames("");
    table.SetIndexName(index);
  }
  mainunit::OnExit by_id([&table, &index] {
    if (table.State() == db::DataSetState::SetKey) table.Cancel();
    if (!index.empty()) {
      table.SetIndexName("");
      table.SetIndexFieldNames("id");
    }
  });
  table.SetKey();
  table.FieldByName(field).SetAsString(value);
  table.GotoKey();
}

bool LocateChoice::Locate(db::Table& table, const std::string& value) const {
  if (value.empty()) return false;
  if (by == By::RecordNumber) {
    LocateByRecordNumber(table, value);
  } else {
    LocateByKey(table, key_index, key_field, value);
  }
  return true;
}

void ChooseReportNumber(LocateChoice& choice) {
  choice.by = LocateChoice::By::Key;
  choice.key_field = "qa01";
  choice.key_index = "kfq_1";
}

void ChooseLegalPersonCode(LocateChoice& choice) {
  choice.by = LocateChoice::By::Key;
  choice.key_field = "qa03";
  choice.key_index = "kfq_12";
}

bool HasIndex(db::Table& table, const std::string& index) {
  for (const db::IndexDef& def : table.GetIndexDefs()) {
    if (text::EqualsIgnoreAsciiCase(def.name, index)) return true;
  }
  return false;
}

}  // namespace veltra::entry
