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
  // Writes the pending text (the control's own write) now.
  void WritePending();

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
};

}  // namespace veltra::ui
