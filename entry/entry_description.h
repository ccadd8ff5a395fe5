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
// message; an exact "Key violation." becomes `duplicate_key`; a message
// naming one of the unique indexes becomes its word.
struct PostErrorWords {
  std::string prefix;
  std::string duplicate_key;
  std::vector<std::pair<std::string, std::string>> index_words;  // index name, word
};

// "数据追加": the file dialog's title and the question whose Yes empties the table first.
struct AppendTexts {
  std::string dialog_title;
  std::string empty_question;
};

struct MasterDescription {
  std::string file;        // "kfq_1.db"
  std::string rule_table;  // "kfq1_chk"
  std::string key_index;   // "kfq_1"
  std::string key_field;   // "QA01"
  std::string id_field;    // "Id"
  std::string counter_field;
  PostErrorWords words;
  AppendTexts append;
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
};

struct PageDescription {
  std::string name;     // "TabSheet5"
  std::string caption;  // "主要产品概况"
  int detail = -1;      // index into details for a detail page
  // A detail page's upper and lower grid and scope box ("DBGrid1", "DBGrid2", "ComboBox2").
  std::string upper_grid;
  std::string lower_grid;
  std::string scope_box;
};

struct EntryDescription {
  MasterDescription master;
  std::vector<DetailDescription> details;
  std::vector<PageDescription> pages;  // the cover first
  std::string send_mark_statement;
  std::string missing_master_key;  // a detail posted before the master has its key
  std::string master_key_first;    // a detail edited before the master has its key
};

}  // namespace veltra::entry
