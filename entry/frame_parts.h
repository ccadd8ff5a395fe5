#pragma once
// What the files of the entry framework share: the titles of its boxes and
// the one test of a data set being edited.
#include "platform/db/dataset.h"

namespace veltra::entry::frame {

inline constexpr const char* kErrorTitle = "错误窗口";
inline constexpr const char* kNoticeTitle = "提示窗口";
inline constexpr const char* kQuestionTitle = "提示";

inline bool Editing(db::DataSetState state) {
  return state == db::DataSetState::Edit || state == db::DataSetState::Insert;
}

}  // namespace veltra::entry::frame
