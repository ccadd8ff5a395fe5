#pragma once
// The field dictionaries of the query window, built from the captions that
// schema/ gives the survey fields, so that no caption is written twice.
#include <string>
#include <string_view>
#include <vector>

#include "install/row_file.h"

namespace veltra::install {

// The rows of `dictionaries.txt`-style lines
//   kfq_dic.db | kfq_1.db a, kfq_2.db b, kfq_5.db c
// as the rows of each dictionary table (db_name, field_name, field_text,
// field_type): one row per survey field that has a meaning, in record
// order, table after table.
std::vector<TableRows> BuildDictionaries(std::string_view text, std::string_view source);

// A caption made fit to be a column alias of a query: leading "其中：" and
// item numbers ("1.") and a trailing "：" go, and so does every ASCII
// character that cannot stand in a name ("E-mail" -> "Email"); a long one is
// cut to 21 GBK bytes, so that it and its total ("...合计") fit a Paradox
// field name.
std::string DictionaryCaption(std::string_view meaning);

}  // namespace veltra::install
