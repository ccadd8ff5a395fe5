#pragma once
// A fresh folder per test for the dBase and text table tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/types/error.h"

namespace veltra::formats {

class TableFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("veltra_" + std::string(info->test_suite_name()) + "_" + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

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
