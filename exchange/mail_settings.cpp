#include "exchange/mail_settings.h"

#include <QHBoxLayout>
#include <QLabel>

namespace veltra::exchange {

MailSettings::MailSettings(db::Database& database) : Table2(database) { Table2.SetTableName("mailinit.db"); }

void MailSettings::Open() { Table2.Open(); }

ui::DBEdit* MailSettings::BoundEdit(QWidget* parent, const char* name, const char* field) {
  auto* edit = new ui::DBEdit(parent, name);
  edit->SetDataSource(&DataSource2);
  edit->SetDataField(field);
  return edit;
}

void MailSettings::SaveAndClose() {
  if (!Table2.Active()) return;
  if (!Table2.IsEmpty()) {
    Table2.Edit();
    Table2.Post();
  }
  Table2.Close();
}

void ShowConnection(bool connected, ui::Button* connect, ui::Button* disconnect, ui::Button* action) {
  connect->setEnabled(!connected);
  disconnect->setEnabled(connected);
  action->setEnabled(true);
}

void DisableWhileBusy(std::initializer_list<ui::Button*> buttons) {
  for (ui::Button* button : buttons) button->setEnabled(false);
}

void ConnectServer(mainunit::MainUnit& main, std::optional<int> port, const std::function<void(int)>& connect,
                   ui::StatusBar* status, const std::string& failure) {
  try {
    if (!port) throw mail::MailError("端口无效");
    connect(*port);
    status->SetSimpleText("服务器已连接");
    main.MailConnected = true;
  } catch (const mail::MailError& error) {
    status->SetSimpleText(FailureText(failure, error));
    main.MailConnected = false;
  }
}

std::string FailureText(const std::string& words, const mail::MailError& error) {
  return dynamic_cast<const mail::MailTimeout*>(&error) != nullptr ? words + "：" + error.what() : words;
}

void DisconnectServer(mainunit::MainUnit& main, const std::function<void()>& disconnect, ui::StatusBar* status) {
  disconnect();
  status->SetSimpleText("服务器已断开");
  main.MailConnected = false;
}

void AddEditRow(QGridLayout* grid, int row, std::initializer_list<CaptionedEdit> edits) {
  int column = 0;
  for (const CaptionedEdit& edit : edits) {
    grid->addWidget(new QLabel(QString::fromUtf8(edit.caption), edit.edit->parentWidget()), row, column++);
    grid->addWidget(edit.edit, row, column++);
  }
}

QVBoxLayout* AttachmentBox(QWidget* parent, ui::ListBox* list, std::initializer_list<ui::Button*> buttons) {
  auto* box = new QVBoxLayout;
  box->addWidget(new QLabel(QStringLiteral("附件："), parent));
  box->addWidget(list);
  if (buttons.size() > 0) {
    auto* row = new QHBoxLayout;
    for (ui::Button* button : buttons) row->addWidget(button);
    box->addLayout(row);
  }
  return box;
}

void LayOutMailWindow(QWidget* window, QWidget* pages, ui::StatusBar* status) {
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(4, 4, 4, 0);
  layout->addWidget(pages, 1);
  layout->addWidget(status);
}

}  // namespace veltra::exchange
