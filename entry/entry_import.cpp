// Import by key from a table file, and "数据追加" over every table of the window.
#include "entry/entry_frame.h"

#include "entry/frame_parts.h"
#include "mainunit/dataset_helpers.h"
#include "mainunit/on_exit.h"
#include "platform/types/error.h"

namespace veltra::entry {

void EntryFrame::ImportRecords(int kind, const std::string& only_rows_with) {
  db::Table& source = main_.Table1;
  db::Table& target = *current_table_;
  const MasterDescription& m = description_.master;
  const DetailDescription* d = kind > 0 ? &description_.details[kind - 1] : nullptr;

  PostPendingEdits();
  source.Close();
  source.GetIndexDefs().clear();
  source.Open();
  const std::string link = target.MasterFields();
  if (d) target.SetMasterFields("");
  target.DisableConstraints();
  detail_post_on_ = false;
  view_.progress = {true, 0, source.RecordCount()};
  Changed();
  importing_ = true;
  if (!d) {
    target.SetIndexFieldNames("");
    target.SetIndexName(m.key_index);
  }
  mainunit::OnExit restore([&, this] {
    if (frame::Editing(target.State())) target.Cancel();
    if (!d) {
      target.SetIndexName("");
      target.SetIndexFieldNames(RestingOrderAfterKeySearch());
    }
    source.Close();
    target.First();
    target.EnableConstraints();
    if (d) target.SetMasterFields(link);
    detail_post_on_ = true;
    importing_ = false;
    view_.progress.visible = false;
    view_.busy = false;
    UpdateStatusBar();
    Changed();
  });
  // The controls and the rows below show the record once, at the end.
  target.DisableControls();
  mainunit::OnExit show_once([&target] { target.EnableControls(); });

  const std::vector<std::string> keys = ImportKeyFields(kind);
  const db::Field* only_with = only_rows_with.empty() ? nullptr : &source.FieldByName(only_rows_with);
  const mainunit::FieldsByName copied(source, target);
  // The posts reach the disk together when the import ends, error or not.
  target.HoldPostsUntilFlush();
  mainunit::OnExit flush([&target] {
    if (frame::Editing(target.State())) target.Cancel();
    target.FlushBuffers();
  });
  for (source.First(); !source.Eof(); source.Next()) {
    if (only_with != nullptr && only_with->IsNull()) continue;
    target.SetKey();
    for (const std::string& key : keys) target.FieldByName(key).SetValue(source.FieldByName(key).Value());
    if (target.GotoKey()) {
      target.Edit();
    } else {
      target.Append();
    }
    copied.Copy();
    if (description_.import_sets_pxh) target.FieldByName("PXH").SetAsString(main_.IdPrefix);
    if (d) {
      target.FieldByName(d->counter_field).SetAsInteger(1);
      target.FieldByName(d->id_field).SetAsString(RowId(kind - 1, target));
    } else {
      target.FieldByName(m.counter_field).SetAsInteger(1);
      target.FieldByName(m.id_field).SetAsString(main_.IdPrefix + target.FieldByName(m.key_field).AsString());
    }
    target.Post();
    view_.progress.position = source.RecNo();
    if (OnProgress) OnProgress();
  }
}

std::vector<std::string> EntryFrame::ImportKeyFields(int kind) const {
  if (kind == 0) return {description_.master.key_field};
  std::vector<std::string> keys = OwnerKeyFields(kind - 1);
  keys.push_back(description_.details[kind - 1].sequence_field);
  return keys;
}

void EntryFrame::CheckImportSource(int kind) {
  db::Table& source = main_.Table1;
  source.Close();
  source.GetIndexDefs().clear();
  source.Open();
  mainunit::OnExit close([&source] { source.Close(); });
  std::vector<std::string> keys = ImportKeyFields(kind);
  if (kind == 0 && !description_.master.append.only_rows_with.empty()) {
    keys.push_back(description_.master.append.only_rows_with);
  }
  for (const std::string& key : keys) {
    if (source.FindField(key) == nullptr) {
      throw EngineError(EngineError::Kind::NoSuchField,
                        EngineError::Words{source.TableName() + "中没有字段" + key + "，未追加任何记录"});
    }
  }
}

void EntryFrame::AppendFromFiles() {
  mainunit::OnExit back_to_cover([this] {
    view_.busy = false;
    SetCurrentTable(0);
    ShowPage(0);
  });
  for (int kind = 0; kind <= DetailCount(); ++kind) {
    const AppendTexts& texts = kind == 0 ? description_.master.append : description_.details[kind - 1].append;
    SetCurrentTable(kind);
    ui::OpenDialog& dialog = main_.OpenDialog1;
    dialog.title = texts.dialog_title;
    // The name the title asks for, never one left from an earlier use.
    dialog.file_name = kind == 0 ? description_.master.file : description_.details[kind - 1].file;
    if (!prompts_.Execute(dialog)) continue;
    PostPendingEdits();
    view_.busy = true;
    Changed();
    main_.Table1.Close();
    main_.Table1.SetTableName(dialog.file_name);
    if (prompts_.Confirm(texts.empty_question, "")) {
      // The table is emptied only once the file is known to be importable.
      CheckImportSource(kind);
      db::Table& table = *current_table_;
      table.Close();
      table.EmptyTable();
      table.Open();
      HideDetailPagesIfEmpty();
    }
    ImportRecords(kind, texts.only_rows_with);
  }
}

}  // namespace veltra::entry
