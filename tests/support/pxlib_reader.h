#pragma once
// Paradox files read by an independent reader, Debian's pxlib, to check
// what the program wrote. Build with VELTRA_HAVE_PXLIB and link pxlib
// (tests/support/pxlib.cmake). pxlib 0.6.8 crashes on memo values kept in
// the .mb, so memos stay out of what is read this way.
#ifdef VELTRA_HAVE_PXLIB
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/types/value.h"

extern "C" {
#include <paradox.h>
}

namespace veltra::testing {

struct PxlibTable {
  std::vector<std::string> fields;
  std::vector<std::vector<std::string>> rows;  // text as UTF-8, numbers as double, null as "<null>"

  // One field of every record; empty when the file has no such field.
  std::vector<std::string> Column(const std::string& field) const {
    std::vector<std::string> values;
    for (std::size_t f = 0; f < fields.size(); ++f) {
      if (fields[f] != field) continue;
      for (const auto& row : rows) values.push_back(row[f]);
    }
    return values;
  }
};

inline PxlibTable ReadWithPxlib(const std::filesystem::path& path) {
  PX_boot();
  pxdoc_t* doc = PX_new();
  PxlibTable table;
  if (PX_open_file(doc, path.c_str()) != 0) {
    ADD_FAILURE() << "pxlib cannot open " << path;
    PX_delete(doc);
    return table;
  }
  PX_set_targetencoding(doc, "UTF-8");
  const int fields = PX_get_num_fields(doc);
  for (int f = 0; f < fields; ++f) table.fields.emplace_back(PX_get_field(doc, f)->px_fname);
  for (int r = 0; r < PX_get_num_records(doc); ++r) {
    pxval_t** values = PX_retrieve_record(doc, r);
    EXPECT_NE(values, nullptr);
    if (values == nullptr) break;
    std::vector<std::string> row;
    for (int f = 0; f < fields; ++f) {
      pxval_t* v = values[f];
      if (v->isnull) {
        row.push_back("<null>");
      } else if (v->type == pxfAlpha) {
        row.emplace_back(v->value.str.val, v->value.str.len);
      } else if (v->type == pxfNumber) {
        row.push_back(FormatNumber(v->value.dval));
      } else {
        row.push_back(std::to_string(v->value.lval));
      }
      if (v->type == pxfAlpha && v->value.str.val) doc->free(doc, v->value.str.val);
      doc->free(doc, v);
    }
    doc->free(doc, values);
    table.rows.push_back(row);
  }
  PX_close(doc);
  PX_delete(doc);
  return table;
}

}  // namespace veltra::testing
#endif
