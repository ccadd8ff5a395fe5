#pragma once
// "生成项目清单": the projects that the issued nation-wide list gjxmqd.dbf
// holds for one region, merged into the national project table gjxm.db by
// project number, so that the national-projects window starts from them.
#include <array>
#include <string>

#include "mainunit/main_unit.h"
#include "mainunit/prompts.h"
#include "platform/db/table.h"

namespace veltra::exchange {

// The drop-down items: region code, a blank, the name and a trailing blank.
extern const std::array<const char*, 45> kRegionItems;

// Checks that gjxmqd.dbf opens and has its pxh and jb00 columns, then asks
// whether to empty gjxm.db, then posts into it through `table` every
// listed project whose pxh is the first three characters of `region_item`:
// an existing jb00 is updated field by field, a new one appended. Null
// numbers arrive as 0; gj_one is 1 and id is pxh followed by jb00.
// Throws EngineError when a table cannot be opened or a record posted;
// records posted before stay.
void BuildProjectList(mainunit::MainUnit& main, mainunit::Prompts& prompts, db::Table& table,
                      const std::string& region_item);

}  // namespace veltra::exchange
