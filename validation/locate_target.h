#pragma once
// Where a fault leads: the entry window of each report kind, the key field
// it is located by and whether the fault's detail row (code2) is looked up
// as well. Kinds 2 and 5 have no validation and lead nowhere.
#include <string>
#include <string_view>

namespace veltra::validation {

struct LocateTarget {
  std::string_view key_field;  // LocateKeyField
  bool detail_key = false;     // LocateKeyValue2 := the fault's code2
  std::string_view window;     // the entry window's class
  std::string_view caption;    // given before showing, plus CaptionSuffix
};

// Null for a kind that opens nothing.
const LocateTarget* FindLocateTarget(int kind);

// Shows an entry window modally. The main window owns the entry windows
// (each created on first use and reused), so it supplies this.
class EntryWindows {
 public:
  virtual ~EntryWindows() = default;
  virtual void ShowModal(std::string_view window, const std::string& caption) = 0;
};

}  // namespace veltra::validation
