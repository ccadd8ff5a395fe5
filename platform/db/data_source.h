#pragma once
// Connects a data set to the form layer's controls and to detail tables.
// While disabled the source shows no data set (its state is inactive) and
// forwards nothing, which detaches every control bound to it.
#include <functional>
#include <vector>

#include "platform/db/dataset.h"

namespace veltra::db {

class DataSource;

// Implemented by the controls of the form layer and by detail links.
class DataSourceObserver {
 public:
  virtual ~DataSourceObserver() = default;
  // Opened, closed, enabled, disabled or given another data set.
  virtual void ActiveChanged(DataSource&) {}
  virtual void StateChanged(DataSource&) {}
  // Moved to another record, or the records were re-read.
  virtual void DataSetChanged(DataSource&) {}
  // A field's value changed; `field` is null when the whole record did.
  virtual void RecordChanged(DataSource&, const Field* /*field*/) {}
  // About to post: write any text still pending in a control into its field.
  virtual void UpdateRecord(DataSource&) {}
  // About to leave the current record (a move, a new record, a key search,
  // a cancel, a delete, a re-read): a detail posts its pending edit while
  // the master still shows the record it belongs to. Throwing stops the act.
  virtual void LeavingRecord(DataSource&) {}
  // The source is being destroyed; drop every pointer to it.
  virtual void SourceDestroyed(DataSource&) {}
};

class DataSource {
 public:
  explicit DataSource(DataSet* data_set = nullptr);
  ~DataSource();
  DataSource(const DataSource&) = delete;
  DataSource& operator=(const DataSource&) = delete;

  DataSet* GetDataSet() const { return data_set_; }
  void SetDataSet(DataSet* data_set);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // The data set's state; inactive while disabled or without a data set.
  DataSetState State() const;

  // Fires whenever State() changes. It may Cancel the data set and throw
  // (SilentAbort) to abandon the operation that changed the state.
  std::function<void(DataSource&)> OnStateChange;

  void AddObserver(DataSourceObserver* observer);
  void RemoveObserver(DataSourceObserver* observer);

 private:
  friend class DataSet;
  void DataSetDestroyed();
  void UpdateState();
  void TellState();
  void NotifyActiveChanged();
  void NotifyDataSetChanged();
  void NotifyRecordChanged(const Field* field);
  void NotifyUpdateRecord();
  void NotifyLeavingRecord();
  // After the data set's controls were disabled: its state if it changed, then its records.
  void NotifyControlsEnabled();
  template <typename Call>
  void ForEachObserver(Call call);

  DataSet* data_set_ = nullptr;
  bool enabled_ = true;
  DataSetState last_state_ = DataSetState::Inactive;
  DataSetState observed_state_ = DataSetState::Inactive;  // as the observers last heard it
  std::vector<DataSourceObserver*> observers_;
};

}  // namespace veltra::db
