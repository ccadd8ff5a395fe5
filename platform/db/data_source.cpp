#include "platform/db/data_source.h"

#include <algorithm>

namespace veltra::db {

DataSource::DataSource(DataSet* data_set) { SetDataSet(data_set); }

DataSource::~DataSource() {
  ForEachObserver([this](DataSourceObserver* observer) { observer->SourceDestroyed(*this); });
  if (data_set_) std::erase(data_set_->sources_, this);
}

template <typename Call>
void DataSource::ForEachObserver(Call call) {
  // Observers may add or remove themselves while being told.
  for (DataSourceObserver* observer : std::vector<DataSourceObserver*>(observers_)) {
    if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) call(observer);
  }
}

void DataSource::SetDataSet(DataSet* data_set) {
  if (data_set == data_set_) return;
  if (data_set_) std::erase(data_set_->sources_, this);
  data_set_ = data_set;
  if (data_set_) data_set_->sources_.push_back(this);
  NotifyActiveChanged();
  UpdateState();
}

void DataSource::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  ForEachObserver([this](DataSourceObserver* observer) { observer->ActiveChanged(*this); });
  UpdateState();
}

DataSetState DataSource::State() const {
  return enabled_ && data_set_ ? data_set_->State() : DataSetState::Inactive;
}

void DataSource::AddObserver(DataSourceObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void DataSource::RemoveObserver(DataSourceObserver* observer) { std::erase(observers_, observer); }

void DataSource::DataSetDestroyed() {
  // No events here: the owners of the handlers may be half destroyed.
  data_set_ = nullptr;
  last_state_ = observed_state_ = DataSetState::Inactive;
}

void DataSource::UpdateState() {
  const DataSetState state = State();
  if (state == last_state_) return;
  last_state_ = state;
  if (data_set_ == nullptr || !data_set_->ControlsDisabled()) TellState();
  if (OnStateChange) OnStateChange(*this);
}

void DataSource::TellState() {
  observed_state_ = last_state_;
  ForEachObserver([this](DataSourceObserver* observer) { observer->StateChanged(*this); });
}

void DataSource::NotifyControlsEnabled() {
  if (!enabled_) return;
  if (observed_state_ != last_state_) TellState();
  ForEachObserver([this](DataSourceObserver* observer) { observer->DataSetChanged(*this); });
}

void DataSource::NotifyActiveChanged() {
  if (!enabled_) return;
  ForEachObserver([this](DataSourceObserver* observer) { observer->ActiveChanged(*this); });
}

void DataSource::NotifyDataSetChanged() {
  if (!enabled_) return;
  ForEachObserver([this](DataSourceObserver* observer) { observer->DataSetChanged(*this); });
}

void DataSource::NotifyRecordChanged(const Field* field) {
  if (!enabled_) return;
  ForEachObserver([this, field](DataSourceObserver* observer) { observer->RecordChanged(*this, field); });
}

void DataSource::NotifyUpdateRecord() {
  if (!enabled_) return;
  ForEachObserver([this](DataSourceObserver* observer) { observer->UpdateRecord(*this); });
}

void DataSource::NotifyLeavingRecord() {
  if (!enabled_) return;
  ForEachObserver([this](DataSourceObserver* observer) { observer->LeavingRecord(*this); });
}

}  // namespace veltra::db
