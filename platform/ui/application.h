#pragma once
// The program's application object: the system's fonts, Qt's Chinese
// translations, exceptions from any event handler shown and the loop kept
// going, the main form's run.
#include <QApplication>
#include <functional>

namespace veltra::ui {

class Form;

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  // Shows what escapes a handler that Qt itself dispatched.
  bool notify(QObject* receiver, QEvent* event) override;

  // Creates the main form, shows it and runs the loop until it closes. An
  // exception from start-up is shown and ends the run. Returns 0.
  int Run(const std::function<Form&()>& create_main_form);
};

}  // namespace veltra::ui
