#pragma once
// The engine's own import by key, as the import windows drive it but
// without a window: the benchmarks' yardstick for an import.
#include "platform/db/index_def.h"
#include "platform/db/table.h"

namespace veltra::bench {

// Every record of the open `source` found in the open `target` by the
// fields of `key` (an index of the target) and edited, or else appended,
// with the fields of the same name copied; the target's constraints
// suspended meanwhile and the posts flushed together at the end. The
// number of records imported.
int ImportByKey(db::Table& source, db::Table& target, const db::IndexDef& key);

}  // namespace veltra::bench
