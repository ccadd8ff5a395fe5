#pragma once
// Every window test: an offscreen application and a scripted ui service.
#include <gtest/gtest.h>

#include "tests/platform/ui/harness/ui_script.h"

namespace veltra::ui::testing {

class UiTest : public ::testing::Test {
 protected:
  UiTest() { EnsureApplication(); }
  UiScript ui_;
};

}  // namespace veltra::ui::testing
