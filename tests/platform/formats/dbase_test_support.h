#pragma once
// Shared pieces of the dBase and text table tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "temp_folder_test.h"
#include "tests/support/engine_error.h"

namespace veltra::formats {

using veltra::testing::ExpectEngineError;

inline Value DateValue(int y, int m, int d) { return Value::FromDate(*MakeDate(y, m, d)); }

}  // namespace veltra::formats
