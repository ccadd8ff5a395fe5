#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QMainWindow>

#include <cstdlib>
#include <filesystem>
#include <string>

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
  QApplication app(argc, argv);
  app.setFont(QFont(QStringLiteral("宋体"), 9));
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("2011年度Veltra计划录入统计系统"));
  window.show();
  return app.exec();
}
