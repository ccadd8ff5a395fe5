// The install tool's command line: options are never taken for the folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(InstallTool, OptionsAreNeverTakenForTheFolder) {
  std::string pattern = (fs::temp_directory_path() / "veltra_install_tool_XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern;
  struct Case {
    const char* arguments;
    int exit_code;
  };
  for (const Case& c : {Case{"--help", 0}, Case{"-h", 0}, Case{"--hlep", 2}, Case{"-x work", 2},
                        Case{"work --demo -q", 2}, Case{"one two", 2}, Case{"--demo", 2}, Case{"", 2}}) {
    const std::string command =
        "cd '" + dir.string() + "' && '" VELTRA_INSTALL_TOOL "' " + c.arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << c.arguments;
    EXPECT_EQ(WEXITSTATUS(status), c.exit_code) << c.arguments;
    EXPECT_TRUE(fs::is_empty(dir)) << c.arguments << " created something";
  }
  const std::string command = "cd '" + dir.string() + "' && '" VELTRA_INSTALL_TOOL "' --demo work >/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_TRUE(fs::exists(dir / "work" / "kfq_1.db"));
  fs::remove_all(dir);
}

}  // namespace
