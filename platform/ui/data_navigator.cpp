#include "platform/ui/data_navigator.h"

#include <QHBoxLayout>

#include "platform/ui/buttons.h"
#include "platform/ui/component.h"
#include "platform/ui/message_box.h"

namespace veltra::ui {

DBNavigator::DBNavigator(QWidget* parent, const std::string& name) : QWidget(parent) {
  NameComponent(*this, name);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  first_ = &AddButton("First", "|<", &db::DataSet::First);
  prior_ = &AddButton("Prior", "<", &db::DataSet::Prior);
  next_ = &AddButton("Next", ">", &db::DataSet::Next);
  last_ = &AddButton("Last", ">|", &db::DataSet::Last);
  insert_ = &AddButton("Insert", "+", &db::DataSet::Insert);
  delete_ = &AddButton("Delete", "-", &db::DataSet::Delete);
  edit_ = &AddButton("Edit", "^", &db::DataSet::Edit);
  post_ = &AddButton("Post", "\u2713", &db::DataSet::Post);
  cancel_ = &AddButton("Cancel", "x", &db::DataSet::Cancel);
  // A record goes only once the user has said so; Enter keeps it.
  delete_->OnClick = [this] {
    if (source_ != nullptr && source_->State() != db::DataSetState::Inactive &&
        AskYesNo("是否删除当前记录", "提示", Answer::No)) {
      source_->GetDataSet()->Delete();
    }
  };
  UpdateButtons();
}

DBNavigator::~DBNavigator() {
  if (source_ != nullptr) source_->RemoveObserver(this);
}

void DBNavigator::SetDataSource(db::DataSource* source) {
  if (source_ != nullptr) source_->RemoveObserver(this);
  source_ = source;
  if (source_ != nullptr) source_->AddObserver(this);
  UpdateButtons();
}

void DBNavigator::SourceDestroyed(db::DataSource&) {
  source_ = nullptr;
  UpdateButtons();
}

Button& DBNavigator::AddButton(const std::string& name, const std::string& caption,
                               void (db::DataSet::*action)()) {
  auto* button = new Button(this, objectName().toStdString() + name, caption);
  layout()->addWidget(button);
  // The focus stays in the open cell: a post or a move hands its text to
  // the record, and a cancel throws it away unread.
  button->setFocusPolicy(Qt::NoFocus);
  button->OnClick = [this, action] {
    if (source_ != nullptr && source_->State() != db::DataSetState::Inactive) {
      (source_->GetDataSet()->*action)();
    }
  };
  return *button;
}

void DBNavigator::UpdateButtons() {
  const db::DataSetState state = source_ != nullptr ? source_->State() : db::DataSetState::Inactive;
  const bool browsing = state == db::DataSetState::Browse;
  const bool editing = state == db::DataSetState::Edit || state == db::DataSetState::Insert;
  db::DataSet* data_set = state != db::DataSetState::Inactive ? source_->GetDataSet() : nullptr;
  const bool has_records = data_set != nullptr && !data_set->IsEmpty();
  for (Button* move : {first_, prior_, next_, last_}) move->setEnabled(has_records);
  insert_->setEnabled(browsing);
  delete_->setEnabled(browsing && has_records);
  edit_->setEnabled(browsing);
  post_->setEnabled(editing);
  cancel_->setEnabled(editing);
}

}  // namespace veltra::ui
