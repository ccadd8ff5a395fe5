#include "app/main_unit.h"

#include <utility>

namespace veltra::app {

MainUnit::MainUnit(std::filesystem::path working_folder) : Database1(std::move(working_folder)) {}

}  // namespace veltra::app
