#pragma once
// Window tests on tables: a scratch working folder with its database (the
// engine's test fixture), the offscreen application and a scripted ui.
#include "tests/platform/db/db_test_support.h"
#include "tests/platform/ui/harness/ui_script.h"

namespace veltra::ui::testing {

class DataUiTest : public db::testing::DbTest {
 protected:
  DataUiTest() { EnsureApplication(); }
  UiScript ui_;
};

}  // namespace veltra::ui::testing
