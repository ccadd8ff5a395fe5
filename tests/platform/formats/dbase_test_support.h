#pragma once
// Shared pieces of the dBase and text table tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/types/error.h"
#include "temp_folder_test.h"

namespace veltra::formats {

// Runs `action`, expects an EngineError of `kind` whose message holds every
// one of `parts`.
template <typename Action>
void ExpectEngineError(Action&& action, EngineError::Kind kind, std::initializer_list<std::string> parts) {
  try {
    action();
    ADD_FAILURE() << "no error";
  } catch (const EngineError& e) {
    EXPECT_EQ(e.kind(), kind) << e.what();
    for (const std::string& part : parts) {
      EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what() << " lacks " << part;
    }
  }
}

inline Value DateValue(int y, int m, int d) { return Value::FromDate(*MakeDate(y, m, d)); }

}  // namespace veltra::formats
