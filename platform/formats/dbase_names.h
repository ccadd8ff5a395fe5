#pragma once
// Field names of dBase tables. A descriptor holds at most 10 bytes of a
// name, in the table's code page. We store ASCII letters, digits and
// underscores, and any other character the code page has (so that the
// Chinese names of a GBK table stay readable: five characters fit), the
// first not a digit or underscore. Names compare without regard to ASCII
// case.
#include <string>
#include <string_view>
#include <vector>

#include "platform/formats/code_page.h"

namespace veltra::formats {

constexpr std::size_t kMaxDbfNameBytes = 10;

// Why `name` cannot be stored as a field name, in the user's words; empty
// when it can.
std::string DbfNameFault(std::string_view name, const CodePage& code_page);

// A name dBase can store for each of `names`, in the same order. A name
// that can be stored as given keeps it (the first of names equal but for
// case). Every other one has each character dBase cannot store replaced
// by "_", "F" put before a leading digit or underscore (or for an empty
// name), and is cut to 10 bytes; when that is taken, "_1", "_2", ...
// replace its end. The result depends on the names alone.
std::vector<std::string> StorableDbfFieldNames(const std::vector<std::string>& names, const CodePage& code_page);

}  // namespace veltra::formats
