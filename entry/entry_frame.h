#pragma once
// The machinery every entry window shares: its tables with their events,
// rule loading, locate on open, the validation switch, the status line, the
// tool bar, key building and send-mark clearing, the key cascade, page and
// scope switching, import by key, append from files, closing and packing.
//
// It holds the window's state as data (which page shows, which pages are
// visible, what the tool bar offers, the status text, the progress bar);
// the window lays out its controls from it and calls back on each user act.
// Everything the user is asked goes through the main unit's Prompts.
//
// Its members live in one file per responsibility: set-up, pages and the
// status line (entry_frame.cpp); moving and posting (entry_posting.cpp); a
// changed key and its cascade (entry_cascade.cpp); deleting
// (entry_delete.cpp); import and append (entry_import.cpp).
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mainunit/main_unit.h"
#include "mainunit/prompts.h"
#include "entry/entry_description.h"
#include "platform/db/data_source.h"
#include "platform/db/table.h"

namespace veltra::entry {

enum class DetailScope { CurrentEnterprise, AllEnterprises };

inline constexpr const char* kScopeCurrent = "当前企业记录";
inline constexpr const char* kScopeAll = "所有企业记录";
inline constexpr const char* kValidationOn = "校验开启";
inline constexpr const char* kValidationOff = "校验关闭";

struct ProgressState {
  bool visible = false;
  int position = 0;
  int maximum = 100;
};

// What the window shows, kept by the frame.
struct EntryViewState {
  int page = 0;                   // index into the description's pages
  bool master_pages_shown = true; // false: only the cover is visible
  bool key_editable = true;       // the report-number edit ("报表编号" vs "报表编号(只读)")
  // Per detail: its key's edit, read-only while a row it owns is being edited.
  std::vector<bool> detail_key_editable;
  bool insert_enabled = true;     // "插入记录"
  bool append_enabled = true;     // "数据追加"
  std::vector<DetailScope> scopes;
  bool busy = false;              // hourglass cursor over the cover
  ProgressState progress;
  std::string status;
};

class EntryFrame {
 public:
  EntryFrame(mainunit::MainUnit& main, mainunit::Prompts& prompts, EntryDescription description);
  virtual ~EntryFrame();
  EntryFrame(const EntryFrame&) = delete;
  EntryFrame& operator=(const EntryFrame&) = delete;

  const EntryDescription& Description() const { return description_; }
  mainunit::MainUnit& Main() { return main_; }
  const EntryViewState& View() const { return view_; }
  // Runs after every change of View(), except while an import runs: then
  // only OnProgress runs as the progress moves, and the rest of the view
  // follows once at the end.
  std::function<void()> OnViewChanged;
  std::function<void()> OnProgress;

  db::Table& Master() { return master_; }
  db::DataSource& MasterSource() { return master_source_; }
  db::Table& Detail(int i);
  db::DataSource& DetailSource(int i);
  int DetailCount() const { return static_cast<int>(details_.size()); }

  db::Table* CurrentTable() const { return current_table_; }
  db::DataSource* CurrentSource() const { return current_source_; }
  bool ValidationOn() const { return validation_on_; }
  bool DetailPostOn() const { return detail_post_on_; }
  const std::string& SavedReportNo() const { return saved_report_no_; }
  // The key of an owner detail as last browsed (empty for other details).
  const std::string& SavedDetailKey(int detail) const { return saved_detail_keys_[detail]; }

  // FormActivate: the whole set-up while the tables are closed, else only
  // the status line. True when the set-up ran. A set-up that fails closes
  // every table it opened and throws.
  bool Activate();
  // FormClose: posts what is pending, closes the tables and packs them when
  // records were deleted. A failing post throws and leaves everything open.
  void Close();

  // The validation switch (ComboBox1Change).
  void SetValidation(bool on);
  // Page change (PageControl1Change): the page's table becomes current. A
  // detail page's owners are posted first; when one is refused the page
  // stays as it was and the refusal is thrown.
  void ShowPage(int page);
  // Scope box of a detail page (ComboBox2Change ...).
  void SetDetailScope(int detail, DetailScope scope);

  // Tool bar, on the current table.
  void Prior();
  void Next();
  void First();
  void Last();
  virtual void InsertRecord();
  void DeleteRecord();
  void SaveRecord();
  void CancelChanges();
  void AppendFromFiles();

  // Status-line double click: only on a table without a master link; runs
  // `dialog` with the locate request set, then follows the master's key.
  void LocateDialog(const std::function<void()>& dialog);

  // Import by key from the main unit's Table1 into CurrentTable; kind 0 is
  // the master, kind i the detail i-1. With `only_rows_with`, source rows
  // whose field of that name is null are skipped.
  void ImportRecords(int kind, const std::string& only_rows_with = "");
  // True while ImportRecords posts its rows.
  bool Importing() const { return importing_; }
  // Makes the master (kind 0) or a detail the current table.
  void SetCurrentTable(int kind);

  // Edit, Post, then flush: posts even an unchanged record.
  static void ForcePost(db::Table& table);
  void UpdateStatusBar();

 protected:
  mainunit::Prompts& Ask() { return prompts_; }
  // Message box titled "错误窗口", then a silent abort.
  [[noreturn]] void ShowErrorAndAbort(const std::string& text);
  void HideDetailPagesIfEmpty();
  // The master's business key, empty for a table without one.
  std::string MasterKey();

  // A window's own steps: after the set-up has opened the tables (before
  // the locate on open), at the end of every master post, and the text put
  // after the status line.
  virtual void AfterTablesOpened() {}
  virtual void OwnBeforePost() {}
  virtual std::string StatusSuffix() { return {}; }
  // "删除记录" once the user said Yes to DeleteQuestion(), on a stored record.
  virtual std::string DeleteQuestion() { return "是否删除当前记录"; }
  virtual void DeleteCurrentRecord();

 private:
  struct DetailTable;

  void SetUp();
  void CloseTables();
  void LoadRules(db::Table& table, const std::string& rule_table);
  void LocateOnOpen();
  std::string RestingOrderAfterKeySearch() const;
  void SyncPageState();
  // Whether a row that `level` owns is being edited.
  bool RowsBeingEdited(int level);
  // A key is locked only while a row below it is being edited: once the
  // tables' links have posted that row, the lock goes.
  void UnlockKeysNoLongerEdited();
  void ClearSendMarks();
  void Changed();
  void LocateDetailOnOpen();

  void MasterBeforePost();
  void DetailBeforePost(int detail);
  void MasterAfterPost();
  void DetailAfterPost(int detail);
  void MasterAfterScroll();
  void DetailAfterScroll(int detail);
  void MasterPostError(db::PostError& error);
  void DetailPostError(int detail, db::PostError& error);
  void MasterStateChange();
  void DetailStateChange(int detail);

  // Levels: kMasterLevel or a detail index. A level owns the details below
  // it; its key is the master's key field or the detail's sequence.
  static constexpr int kMasterLevel = -1;
  using KeyMatch = std::vector<std::pair<std::string, std::string>>;  // field, value
  db::Table& LevelTable(int level);
  const std::string& LevelKeyField(int level) const;
  std::string& SavedKey(int level);
  // The details that `level` owns, directly or through another detail, owners first.
  std::vector<int> OwnedBy(int level) const;
  // The keys a row of `detail` takes from its owners, outermost first.
  std::vector<std::string> OwnerKeyFields(int detail) const;
  std::string LinkFields(int detail) const;
  // The rows that `level`'s current record owns, were its key `key`.
  KeyMatch RowsOwnedBy(int level, const std::string& key);
  // A detail row's Id from its keys, as `value_of` gives them.
  std::string RowId(int detail, const std::function<std::string(const std::string&)>& value_of) const;
  std::string RowId(int detail, db::Table& row) const;

  // Refuses a new key that rows below already carry, or under which a
  // moved row's Id is taken, so a cascade can never stop half-way and
  // leave rows split between two keys.
  void CheckCascadeTarget(int level, const std::string& new_key);
  void KeyCascade(int level);
  // The levels that own `detail`, outermost first.
  std::vector<int> OwnerChain(int detail) const;
  // Before a detail's page shows: posts its owners whose key was edited and
  // not posted yet, outermost first and past their rules (the next save
  // applies them), so that the rows below follow them; then those still
  // being added.
  void PostEditedOwnerKeys(int detail);
  // Posts the owners of `detail` still being added, outermost first, under
  // their rules. Only while no row below is being edited: their posts
  // change the link.
  void PostNewOwners(int detail);
  bool OwnerBeingAdded(int detail);
  // Posts (or, unchanged, drops) every pending edit, rows below first,
  // before an import moves the tables.
  void PostPendingEdits();
  // Runs `step` on every row of `detail` that `match` names, with the
  // master link removed and a filter on the keys; restored on every exit.
  void ForEachRowMatching(int detail, const KeyMatch& match, const std::function<void(db::Table&)>& step);
  void DeleteRowsOwnedBy(int level);
  bool IsDetailOf(const db::Table& table) const;
  int KindOf(const db::Table& table) const;
  // The fields an imported row is searched by: its own and its owners' keys.
  std::vector<std::string> ImportKeyFields(int kind) const;
  void CheckImportSource(int kind);

  mainunit::MainUnit& main_;
  mainunit::Prompts& prompts_;
  EntryDescription description_;
  EntryViewState view_;

  db::Table master_;
  db::DataSource master_source_{&master_};
  std::vector<std::unique_ptr<DetailTable>> details_;

  // The master until a page makes a detail current; never null, so the
  // tool bar of a window whose set-up failed meets a closed table.
  db::Table* current_table_ = &master_;
  db::DataSource* current_source_ = &master_source_;
  bool validation_on_ = true;
  bool detail_post_on_ = true;
  bool importing_ = false;
  std::string saved_report_no_;
  std::vector<std::string> saved_detail_keys_;
};

}  // namespace veltra::entry
