#include "mainunit/main_unit.h"

#include <utility>

namespace veltra::mainunit {

MainUnit::MainUnit(std::filesystem::path working_folder) : Database1(std::move(working_folder)) {
  OpenDialog1.filter = "*.db *.dbf|*.db;*.dbf";
  SaveDialog1.filter = "*.db|*.db|*.dbf|*.dbf|*.txt|*.txt";
  SaveDialog1.default_extension = "*.db";
}

}  // namespace veltra::mainunit
