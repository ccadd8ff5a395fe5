#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/main_window.h"
#include "platform/ui/application.h"

namespace {

// fontconfig reads FONTCONFIG_FILE when the first font is loaded, so it
// must be set before the application object exists.
void UseBundledFontAliases(const char* argv0) {
  if (std::getenv("FONTCONFIG_FILE") != nullptr) return;
  std::error_code error;
  const auto exe = std::filesystem::canonical("/proc/self/exe", error);
  const auto dir = error ? std::filesystem::absolute(argv0).parent_path() : exe.parent_path();
  const auto conf = dir / "fonts.conf";
  if (std::filesystem::exists(conf)) setenv("FONTCONFIG_FILE", conf.c_str(), 1);
}

}  // namespace

int main(int argc, char* argv[]) {
  UseBundledFontAliases(argv[0]);
  veltra::ui::Application app(argc, argv);
  std::unique_ptr<veltra::app::TF_main> F_main;
  return app.Run([&F_main]() -> veltra::ui::Form& {
    F_main = std::make_unique<veltra::app::TF_main>();
    return *F_main;
  });
}
