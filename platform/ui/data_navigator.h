#pragma once
// The navigator bar of a data source: first, prior, next, last, insert,
// delete (after a question), edit, post, cancel; buttons enabled by the
// data set's state.
#include <QWidget>
#include <string>

#include "platform/db/data_source.h"

namespace veltra::ui {

class Button;

class DBNavigator : public QWidget, private db::DataSourceObserver {
  Q_OBJECT
 public:
  DBNavigator(QWidget* parent, const std::string& name);
  ~DBNavigator() override;
  void SetDataSource(db::DataSource* source);

 private:
  void ActiveChanged(db::DataSource&) override { UpdateButtons(); }
  void StateChanged(db::DataSource&) override { UpdateButtons(); }
  void DataSetChanged(db::DataSource&) override { UpdateButtons(); }
  void SourceDestroyed(db::DataSource&) override;
  Button& AddButton(const std::string& name, const std::string& caption, void (db::DataSet::*action)());
  void UpdateButtons();

  db::DataSource* source_ = nullptr;
  Button* first_;
  Button* prior_;
  Button* next_;
  Button* last_;
  Button* insert_;
  Button* delete_;
  Button* edit_;
  Button* post_;
  Button* cancel_;
};

}  // namespace veltra::ui
