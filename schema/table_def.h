#pragma once
// The definition of one table of the system: its fields in record order,
// its indexes, its link to a master table, and where the entry windows
// show each field.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types/field.h"

namespace veltra::schema {

struct IndexDef {
  std::string name;                 // empty for the primary index
  std::vector<std::string> fields;  // in key order
  bool primary = false;
  bool unique = false;
  bool case_insensitive = false;
};

// A detail table follows its master through `fields` (the same names on
// both sides, as the entry windows' MasterFields give them) over the
// detail's index `detail_index`, whose leading fields they are.
struct MasterLink {
  std::string master_table;
  std::vector<std::string> fields;
  std::string detail_index;
};

// A container of the entry window: a page (TabSheet2), a scroll box or a grid.
struct Page {
  std::string name;
  std::string caption;  // empty when the container has no caption
};

// One place where a field is shown on its entry window.
struct Placement {
  std::string field;
  std::string page;     // Page::name
  std::string section;  // titled group on the page, or the grid showing the column; may be empty
  std::string caption;  // the label beside the edit, or the grid column's title
  std::string below;    // shown after this field rather than in record order; usually empty
  int width = 0;        // grid column width in pixels; 0 for the default
};

struct TableDef {
  // File name as the system names it ("kfq_1.db", "check_db.DB"); a name
  // starting with "*" ("*_chk.db") is a layout shared by every file whose
  // name ends in the rest.
  std::string file_name;
  bool survey = false;  // a survey data table, created empty by the installation
  FieldDefs fields;
  // Per field, in record order: what the field holds, when known. For a
  // field shown on a window it is that window's caption.
  std::vector<std::string> meanings;
  // Per field: the codes that the window prints beside a coded field as
  // read-only text ("1 有, 2 无"), or "".
  std::vector<std::string> code_lists;
  std::vector<IndexDef> indexes;
  std::optional<MasterLink> master;
  std::vector<Page> pages;            // in the order first used by the definition
  std::vector<Placement> placements;  // in the order written; a field may have more than one

  bool is_layout() const { return !file_name.empty() && file_name.front() == '*'; }
  // True when `name` (bare file name, any case, ".db" when it has no
  // extension) is this table or a file of this layout.
  bool Matches(std::string_view name) const;

  const IndexDef* primary_index() const;
  const IndexDef* FindIndex(std::string_view name) const;  // ASCII case-insensitive
  const Page* FindPage(std::string_view name) const;
  // The first placement of `field` (case-insensitive), or null when no window shows it.
  const Placement* PlacementOf(std::string_view field) const;
  std::vector<const Placement*> PlacementsOn(std::string_view page) const;
  // The meaning of `field`, or "" when the field is unknown or its meaning is not given.
  const std::string& MeaningOf(std::string_view field) const;
  // The code list of `field`, or "".
  const std::string& CodesOf(std::string_view field) const;
};

}  // namespace veltra::schema
