#pragma once
// The mail settings record (mailinit.db) that both mail windows edit in
// place, and the connection buttons they share: what the user types is
// posted when the window closes, never earlier; no password is kept.
#include <QLabel>

#include <functional>
#include <optional>
#include <string>

#include "mainunit/prompts.h"
#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/ui/buttons.h"
#include "platform/ui/data_edits.h"

namespace veltra::exchange {

class MailSettings {
 public:
  explicit MailSettings(db::Database& database);

  db::Table Table2;
  db::DataSource DataSource2{&Table2};

  bool IsOpen() const { return Table2.Active(); }
  // An edit of the window bound to one field of the record.
  ui::DBEdit* BoundEdit(QWidget* parent, const char* name, const char* field);
  void Open();
  // Posts what the edits hold and closes the table.
  void SaveAndClose();
};

// Connected: only "断开" and the window's action; disconnected: "连接" and
// the action. During a connect, send or receive all three are off.
void ShowConnection(bool connected, ui::Button* connect, ui::Button* disconnect, ui::Button* action);
void DisableWhileBusy(std::initializer_list<ui::Button*> buttons);

// The port typed in a settings edit; a text that is no port is told to the
// user and gives nothing.
std::optional<int> TypedPort(const std::string& text, mainunit::Prompts& prompts);

// The caption beside an edit of the mail windows.
QLabel* EditLabel(QWidget* parent, const char* text);

}  // namespace veltra::exchange
