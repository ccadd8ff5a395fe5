#pragma once
// Binds one control to one field of a data source. The control is told
// when to show the field again and when to write its pending text; the
// link puts the data set into edit state when the user starts typing.
#include <functional>
#include <string>

#include "platform/db/data_source.h"

namespace veltra::ui {

class FieldLink : public db::DataSourceObserver {
 public:
  // `show` repaints the control from Field() (null: show nothing);
  // `write` puts the control's pending text into the field.
  FieldLink(std::function<void()> show, std::function<void()> write);
  ~FieldLink() override;
  FieldLink(const FieldLink&) = delete;
  FieldLink& operator=(const FieldLink&) = delete;

  db::DataSource* Source() const { return source_; }
  void SetSource(db::DataSource* source);
  const std::string& FieldName() const { return field_name_; }
  void SetFieldName(std::string name);

  // The bound field while the source shows an open data set, else null.
  db::Field* Field() const;
  bool Editing() const;
  // Starts editing the record (insert on an empty data set) unless it is
  // already; the data source's state-change handler may refuse. True
  // when the record can now be changed.
  bool StartEditing();
  // Starts editing for a key that changes the control's text; true when
  // the key may go ahead, which leaves text pending for the field.
  bool BeginTyping();
  // The field when the control holds text not yet written to it; clears
  // the pending mark.
  db::Field* TakePendingField();
  void DropPending() { pending_ = false; }
  bool Pending() const { return pending_; }

 private:
  void ActiveChanged(db::DataSource&) override { show_(); }
  void DataSetChanged(db::DataSource&) override { show_(); }
  void RecordChanged(db::DataSource&, const db::Field* field) override;
  void UpdateRecord(db::DataSource&) override { write_(); }
  void SourceDestroyed(db::DataSource&) override;

  std::function<void()> show_;
  std::function<void()> write_;
  db::DataSource* source_ = nullptr;
  std::string field_name_;
  bool pending_ = false;
};

// The data source and field of a data-aware control, as windows set them.
class FieldBinding {
 public:
  void SetDataSource(db::DataSource* source) { link_.SetSource(source); }
  db::DataSource* DataSource() const { return link_.Source(); }
  void SetDataField(std::string field) { link_.SetFieldName(std::move(field)); }

 protected:
  FieldBinding(std::function<void()> show, std::function<void()> write)
      : link_(std::move(show), std::move(write)) {}
  FieldLink link_;
};

}  // namespace veltra::ui
