#include "platform/ui/application.h"

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/ui/event_handler.h"
#include "platform/ui/form.h"

namespace veltra::ui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  // The windows name the fonts of the original system; these packages
  // stand in for them.
  QFont::insertSubstitution("宋体", "AR PL UMing CN");
  QFont::insertSubstitution("黑体", "WenQuanYi Zen Hei");
  setFont(SongFont(12));
  // Qt's own buttons and dialogs speak the users' language.
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
  auto* translator = new QTranslator(this);
  if (translator->load(QLocale(), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(translator);
  }
}

bool Application::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunHandler([&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

int Application::Run(const std::function<Form&()>& create_main_form) {
  Form* main_form = nullptr;
  if (!RunHandler([&] { main_form = &create_main_form(); })) return 0;
  main_form->SetQuitsOnClose(true);
  main_form->Show();
  RunHandler([] { exec(); });
  return 0;
}

}  // namespace veltra::ui
