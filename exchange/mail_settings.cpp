#include "exchange/mail_settings.h"

namespace veltra::exchange {

MailSettings::MailSettings(db::Database& database) : Table2(database) { Table2.SetTableName("mailinit.db"); }

void MailSettings::Open() { Table2.Open(); }

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

QLabel* EditLabel(QWidget* parent, const char* text) { return new QLabel(QString::fromUtf8(text), parent); }

}  // namespace veltra::exchange
