#pragma once
// dBase files read by an independent reader, Debian's python3-dbfread (seen
// only by /usr/bin/python3), to check what the program wrote.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace veltra::testing {

// One line per value, "FIELD=value": text JSON-quoted (empty as null),
// numbers as stored without leading spaces and trailing fraction zeros,
// dates ISO, booleans true/false, null as null.
inline constexpr const char* kDbfreadDumpScript = R"(
import json, sys, dbfread
table = dbfread.DBF(sys.argv[1], encoding='gbk', char_decode_errors='strict')
stored = dbfread.DBF(sys.argv[1], encoding='gbk', raw=True)
for record, raw in zip(table, stored):
    for name, v in record.items():
        if v is None or v == '': text = 'null'  # an empty text is null here
        elif isinstance(v, bool): text = 'true' if v else 'false'
        elif isinstance(v, (int, float)):
            text = raw[name].decode('ascii').strip()
            if '.' in text: text = text.rstrip('0').rstrip('.')
        elif isinstance(v, str): text = json.dumps(v, ensure_ascii=False)
        else: text = v.isoformat()
        print(name + '=' + text)
)";

// The dump of `dbf`; the script is written beside it.
inline std::string ReadWithDbfread(const std::filesystem::path& dbf) {
  const auto script = dbf.parent_path() / "dbfread_dump.py";
  std::ofstream(script) << kDbfreadDumpScript;
  const std::string command = "/usr/bin/python3 " + script.string() + " " + dbf.string() + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return "cannot run /usr/bin/python3";
  std::string out;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0) << out;
  return out;
}

// Text as the dump quotes it.
inline std::string DbfreadQuoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

}  // namespace veltra::testing
