#include "platform/ui/field_link.h"

#include "platform/ui/event_handler.h"

namespace veltra::ui {

FieldLink::FieldLink(std::function<void()> show, std::function<void()> write)
    : show_(std::move(show)), write_(std::move(write)) {}

FieldLink::~FieldLink() {
  if (source_ != nullptr) source_->RemoveObserver(this);
}

void FieldLink::SetSource(db::DataSource* source) {
  if (source_ != nullptr) source_->RemoveObserver(this);
  source_ = source;
  if (source_ != nullptr) source_->AddObserver(this);
  show_();
}

void FieldLink::SetFieldName(std::string name) {
  field_name_ = std::move(name);
  show_();
}

db::Field* FieldLink::Field() const {
  if (source_ == nullptr || source_->State() == db::DataSetState::Inactive) return nullptr;
  return source_->GetDataSet()->FindField(field_name_);
}

bool FieldLink::Editing() const {
  const db::DataSetState state = source_ != nullptr ? source_->State() : db::DataSetState::Inactive;
  return state == db::DataSetState::Edit || state == db::DataSetState::Insert;
}

bool FieldLink::StartEditing() {
  if (Field() == nullptr) return false;
  if (!Editing()) RunHandler([this] { source_->GetDataSet()->Edit(); });
  return Editing();
}

bool FieldLink::BeginTyping() {
  if (!StartEditing()) return false;
  pending_ = true;
  return true;
}

db::Field* FieldLink::TakePendingField() {
  db::Field* field = Field();
  if (!pending_ || field == nullptr || !Editing()) return nullptr;
  pending_ = false;
  return field;
}

void FieldLink::RecordChanged(db::DataSource&, const db::Field* field) {
  if (field == nullptr || field == Field()) show_();
}

void FieldLink::SourceDestroyed(db::DataSource&) {
  source_ = nullptr;
  show_();
}

}  // namespace veltra::ui
