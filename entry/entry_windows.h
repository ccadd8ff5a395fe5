#pragma once
// The entry windows by their class names ("TF_kfq", "TF_gjxm" ...), as the
// main window's "数据录入" and the validation window's locate request name
// them.
#include <memory>
#include <string_view>

#include "mainunit/main_unit.h"
#include "mainunit/prompts.h"
#include "platform/ui/form.h"

namespace veltra::entry {

// A new window of that class (TF_kfq, TF_fhq, ...); every entry window of the
// report list exists, so any other name is a programming error.
std::unique_ptr<ui::Form> CreateEntryWindow(std::string_view window, mainunit::MainUnit& main,
                                            mainunit::Prompts& prompts);

}  // namespace veltra::entry
