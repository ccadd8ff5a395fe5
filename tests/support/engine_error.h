#pragma once
// Checks that an action is refused with the engine's error.
#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

#include "platform/types/error.h"

namespace veltra::testing {

// Runs `action`: it must throw an EngineError of `kind` (any kind when
// none) whose message holds every one of `parts`.
template <typename Action>
::testing::AssertionResult ThrowsEngineError(Action&& action, std::optional<EngineError::Kind> kind,
                                             std::initializer_list<std::string> parts = {}) {
  try {
    std::forward<Action>(action)();
  } catch (const EngineError& e) {
    if (kind && e.kind() != *kind) {
      return ::testing::AssertionFailure() << "an error of kind " << static_cast<int>(e.kind()) << ": " << e.what();
    }
    for (const std::string& part : parts) {
      if (std::string(e.what()).find(part) == std::string::npos) {
        return ::testing::AssertionFailure() << e.what() << " lacks " << part;
      }
    }
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "no error";
}

template <typename Action>
void ExpectEngineError(Action&& action, EngineError::Kind kind, std::initializer_list<std::string> parts) {
  EXPECT_TRUE(ThrowsEngineError(std::forward<Action>(action), kind, parts));
}

}  // namespace veltra::testing
