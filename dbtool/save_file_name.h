#pragma once
// "另存": a file name typed without extension gets the one of the save
// dialog's chosen filter entry (1 ".db", 2 ".dbf", 3 ".txt").
#include <string>

namespace veltra::dbtool {

std::string WithFilterExtension(std::string file_name, int filter_index);

}  // namespace veltra::dbtool
