// A changed key and what follows it: the rows a key owns, the check that a
// new key can take them, and the cascade that moves them.
#include "entry/entry_frame.h"

#include <set>

#include "mainunit/on_exit.h"
#include "mainunit/sql_text.h"
#include "platform/text/ascii.h"

namespace veltra::entry {

void EntryFrame::PostEditedOwnerKeys(int detail) {
  for (int level : OwnerChain(detail)) {
    db::Table& table = LevelTable(level);
    const std::string& saved = SavedKey(level);
    if (saved.empty() || table.FieldByName(LevelKeyField(level)).AsString() == saved) continue;
    // The key was edited and not posted yet: post it now (past the rules,
    // which the next save applies), so that the rows of this page follow it.
    if (validation_on_) table.DisableConstraints();
    mainunit::OnExit restore([this, &table] {
      if (validation_on_) table.EnableConstraints();
    });
    ForcePost(table);
  }
  // A row is never written for an owner that is not in its table.
  PostNewOwners(detail);
}

std::string EntryFrame::RowId(int detail, const std::function<std::string(const std::string&)>& value_of) const {
  const DetailDescription& d = description_.details[detail];
  std::string id = main_.IdPrefix;
  for (const std::string& key : OwnerKeyFields(detail)) id += value_of(key);
  return id + d.id_separator + value_of(d.sequence_field);
}

std::string EntryFrame::RowId(int detail, db::Table& row) const {
  return RowId(detail, [&row](const std::string& field) { return row.FieldByName(field).AsString(); });
}

EntryFrame::KeyMatch EntryFrame::RowsOwnedBy(int level, const std::string& key) {
  KeyMatch match;
  if (level != kMasterLevel) {
    for (const std::string& field : OwnerKeyFields(level)) match.emplace_back(field, Detail(level).FieldByName(field).AsString());
  }
  match.emplace_back(LevelKeyField(level), key);
  return match;
}

void EntryFrame::ForEachRowMatching(int detail, const KeyMatch& match, const std::function<void(db::Table&)>& step) {
  db::Table& table = Detail(detail);
  std::string filter;
  for (const auto& [field, value] : match) filter += (filter.empty() ? "" : " and ") + field + "=" + mainunit::SqlString(value);
  const std::string link = table.MasterFields();
  table.SetMasterFields("");
  table.SetFilter(filter);
  table.SetFiltered(true);
  mainunit::OnExit restore([&table, &link] {
    if (table.State() != db::DataSetState::Browse && table.Active()) table.Cancel();
    table.SetFiltered(false);
    table.SetFilter("");
    table.SetMasterFields(link);
  });
  // Each step takes its row out of the filtered set; the count bounds the
  // loop should a row stay in.
  for (int left = table.RecordCount(); left > 0 && !table.IsEmpty(); --left) {
    table.First();
    step(table);
  }
  table.FlushBuffers();
}

void EntryFrame::CheckCascadeTarget(int level, const std::string& new_key) {
  const std::string& key_field = LevelKeyField(level);
  const KeyMatch moving = RowsOwnedBy(level, SavedKey(level));
  const KeyMatch joining = RowsOwnedBy(level, new_key);
  for (int i : OwnedBy(level)) {
    db::Table probe(main_.Database1);
    probe.SetTableName(Detail(i).TableName());
    probe.Open();
    mainunit::OnExit close([&probe] { probe.Close(); });
    const auto matches = [&probe](const KeyMatch& match) {
      for (const auto& [field, value] : match) {
        if (probe.FieldByName(field).AsString() != value) return false;
      }
      return true;
    };
    std::set<std::string> ids;
    std::vector<std::string> moved_ids;  // what the cascade will build
    std::string clash;  // the Id of the first row in the way
    for (probe.First(); !probe.Eof(); probe.Next()) {
      const std::string id = probe.FieldByName(description_.details[i].id_field).AsString();
      ids.insert(id);
      if (clash.empty() && matches(joining)) clash = id;  // it would join this record unasked
      if (matches(moving)) {
        moved_ids.push_back(RowId(i, [&](const std::string& field) {
          return text::EqualsIgnoreAsciiCase(field, key_field) ? new_key : probe.FieldByName(field).AsString();
        }));
      }
    }
    for (const std::string& id : moved_ids) {
      if (clash.empty() && ids.count(id) > 0) clash = id;
    }
    if (!clash.empty()) {
      const PostErrorWords& words = level == kMasterLevel ? description_.master.words : description_.details[level].words;
      ShowErrorAndAbort(words.prefix + words.duplicate_key);
    }
  }
}

void EntryFrame::KeyCascade(int level) {
  const std::string& key_field = LevelKeyField(level);
  const std::string new_key = LevelTable(level).FieldByName(key_field).AsString();
  const KeyMatch old_rows = RowsOwnedBy(level, SavedKey(level));
  detail_post_on_ = false;
  mainunit::OnExit post_on([this] { detail_post_on_ = true; });
  for (int i : OwnedBy(level)) {
    db::Table& table = Detail(i);
    if (validation_on_) table.DisableConstraints();
    mainunit::OnExit restore([this, &table] {
      if (validation_on_) table.EnableConstraints();
    });
    const std::string& id_field = description_.details[i].id_field;
    ForEachRowMatching(i, old_rows, [&](db::Table& rows) {
      rows.Edit();
      rows.FieldByName(key_field).SetAsString(new_key);
      rows.FieldByName(id_field).SetAsString(RowId(i, rows));
      rows.Post();
    });
  }
  SavedKey(level) = new_key;
}

}  // namespace veltra::entry
