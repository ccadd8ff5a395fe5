#pragma once
// The order of values in indexes and key searches: null first, numbers by
// value, text in GBK byte order (optionally with ASCII letters folded),
// calendar values by time.
#include "platform/types/value.h"

namespace veltra::db {

int CompareValues(const Value& a, const Value& b, bool ignore_case);

}  // namespace veltra::db
