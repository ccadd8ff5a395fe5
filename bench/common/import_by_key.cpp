#include "bench/common/import_by_key.h"

#include <string>
#include <utility>
#include <vector>

namespace veltra::bench {

int ImportByKey(db::Table& source, db::Table& target, const db::IndexDef& key) {
  target.DisableConstraints();
  target.SetIndexName(key.name);
  const std::vector<std::string> key_fields = db::SplitFieldList(key.fields);
  std::vector<std::pair<const db::Field*, db::Field*>> copied;
  for (int i = 0; i < source.FieldCount(); ++i) {
    if (db::Field* to = target.FindField(source.Fields(i).FieldName())) copied.emplace_back(&source.Fields(i), to);
  }
  int imported = 0;
  target.HoldPostsUntilFlush();
  for (source.First(); !source.Eof(); source.Next()) {
    target.SetKey();
    for (const std::string& field : key_fields) target.FieldByName(field).SetValue(source.FieldByName(field).Value());
    if (target.GotoKey()) {
      target.Edit();
    } else {
      target.Append();
    }
    for (const auto& [from, to] : copied) to->SetValue(from->Value());
    target.Post();
    ++imported;
  }
  target.FlushBuffers();
  target.EnableConstraints();
  return imported;
}

}  // namespace veltra::bench
