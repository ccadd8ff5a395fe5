#pragma once
// What the two mail windows share: the mail settings record (mailinit.db)
// they edit in place — what the user types is posted when the window
// closes, never earlier, and no password is kept — the connection buttons'
// states, connecting and disconnecting, and the pieces of their layout.
#include <QGridLayout>
#include <QVBoxLayout>

#include <functional>
#include <optional>
#include <string>

#include "mainunit/main_unit.h"
#include "platform/db/data_source.h"
#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/mail/mail_error.h"
#include "platform/ui/buttons.h"
#include "platform/ui/lists.h"
#include "platform/ui/status_controls.h"
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

// "连接" of both mail windows: `connect` runs with the typed port and
// raises MailError when the server cannot be reached; the status line and
// MailConnected say how it went. A port that is no number never connects
// and, like every failure to connect, is told in the status line only, in
// the words `failure` (those of the step that needed the connection).
void ConnectServer(mainunit::MainUnit& main, std::optional<int> port, const std::function<void(int)>& connect,
                   ui::StatusBar* status, const std::string& failure);
// The status line's words for a failed step; a time-out adds what it was,
// since the user has waited for it.
std::string FailureText(const std::string& words, const mail::MailError& error);
// "断开": `disconnect` never fails.
void DisconnectServer(mainunit::MainUnit& main, const std::function<void()>& disconnect, ui::StatusBar* status);

// One row of the mail windows' settings grid: captioned edits side by side.
struct CaptionedEdit {
  const char* caption;
  QWidget* edit;
};
void AddEditRow(QGridLayout* grid, int row, std::initializer_list<CaptionedEdit> edits);

// "附件：" over the attachment list, with the list's buttons (if any) below.
QVBoxLayout* AttachmentBox(QWidget* parent, ui::ListBox* list, std::initializer_list<ui::Button*> buttons);

// The page of a mail window and its status line under it.
void LayOutMailWindow(QWidget* window, QWidget* pages, ui::StatusBar* status);

}  // namespace veltra::exchange
