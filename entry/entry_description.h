#pragma once
// What one entry window is, for the framework that runs it: its master and
// detail tables with their rule tables, keys, counters and message words,
// and its pages. An entry window is such a description plus the handlers
// that belong to it alone.
#include <string>
#include <utility>
#include <vector>

namespace veltra::entry {

// How a refused post is told to the user: the prefix goes before every
// message; a duplicate primary key becomes `duplicate_key` (kept as the
// engine says it when empty); a duplicate in one of the unique secondary
// indexes becomes that index's word.
struct PostErrorWords {
  std::string prefix;
  std::string duplicate_key;
  std::vector<std::pair<std::string, std::string>> index_words;  // index name, word
};

// "数据追加": the file dialog's title and the question whose Yes empties the table first.
struct AppendTexts {
  std::string dialog_title;
  std::string empty_question;
  // A source field whose null makes the import skip the row; empty: every row is taken.
  std::string only_rows_with;
};

struct MasterDescription {
  std::string file;        // "kfq_1.db"
  std::string rule_table;  // "kfq1_chk"
  // A table without a key (kfqzh.db) leaves these four empty: no locate,
  // no key building, no counter.
  std::string key_index;   // "kfq_1"
  std::string key_field;   // "QA01"
  std::string id_field;    // "Id"
  std::string counter_field;
  PostErrorWords words;
  AppendTexts append;
  // The order after a key search (locate, import); the Id order when empty.
  std::string order_after_key_search;
};

struct DetailDescription {
  std::string file;
  std::string rule_table;
  std::string index;           // leads with the master's key field
  std::string sequence_field;  // first column of the upper grid
  std::string id_field;
  std::string counter_field;
  std::string id_separator;       // between the master key and the sequence in the Id
  std::string missing_sequence;   // refusal when the sequence is empty
  PostErrorWords words;
  AppendTexts append;
  // Three levels: the detail whose rows own this one's rows (index into
  // details); -1 for a detail of the master. A row takes every key of its
  // owner's chain (the master's key, then each owner detail's sequence).
  int owner = -1;
  // Refusal of a post, and notice on editing, while the owner has no key
  // yet; empty: the window's missing_master_key and master_key_first.
  std::string missing_owner_key;
  std::string owner_key_first;
};

struct PageDescription {
  std::string name;     // "TabSheet5"
  std::string caption;  // "主要产品概况"
  int detail = -1;      // index into details for a detail page
  // A detail page's upper and lower grid and scope box ("DBGrid1", "DBGrid2",
  // "ComboBox2"); a page without a lower grid or scope box leaves them
  // empty, and a detail page without grids shows one record in edits.
  std::string upper_grid;
  std::string lower_grid;
  std::string scope_box;
};

// How the status line reads: "报表编号: 110001  当前记录: 1  总记录: 1  未修改", or
// without a key label "当前记录:1  总记录:1  未修改".
struct StatusLineForm {
  std::string key_label = "报表编号";  // empty: the key is not shown
  bool blank_after_colon = true;
};

// The tool bar's buttons that a window may lack; delete, save, cancel and
// return are always there.
struct ToolBarButtons {
  bool navigation = true;  // 上一记录, 下一记录, 记录头, 记录尾
  bool insert = true;
  bool append = true;
  bool validation_switch = true;
};

struct EntryDescription {
  MasterDescription master;
  std::vector<DetailDescription> details;
  std::vector<PageDescription> pages;  // the cover first
  std::string send_mark_statement;
  std::string missing_master_key;  // a detail posted before the master has its key
  std::string master_key_first;    // a detail edited before the master has its key

  // While the master is empty only the cover is shown.
  bool hide_pages_when_empty = true;
  // "插入记录" only on the cover and the detail pages, "数据追加" only on the
  // cover; false: both on every page.
  bool actions_on_cover_only = true;
  // Imported rows get PXH := IdPrefix; false: they keep the source's.
  bool import_sets_pxh = true;
  // Put after the message of a master refused during an import; empty: the
  // message stands alone.
  std::string import_error_suffix = ",请退出系统查检查重复记录";
  // The caption of the master key's edit while a detail row is being
  // edited (the key is read-only then); empty: the caption stays.
  std::string read_only_key_caption;
  // The status-line locate dialog always moves the master, whatever page shows.
  bool locate_on_master_always = false;

  StatusLineForm status_line;
  ToolBarButtons tool_bar;
  // A delete has the window's tables packed when it closes.
  bool pack_after_delete = true;
};

// The windows whose details hang on CODE (incubators, science parks,
// software bases): every page stays shown, every page offers "插入记录" and
// "数据追加", and a refusal during an import carries no suffix.
inline void ApplyCodeKeyedPolicies(EntryDescription& d) {
  d.hide_pages_when_empty = false;
  d.actions_on_cover_only = false;
  d.import_error_suffix.clear();
}

}  // namespace veltra::entry
