#pragma once
// TF_kfqzh, the zone's comprehensive report (report kind 2, kfqzh.db): a
// one-record form without key, locate, import or packing; its tool bar
// offers only "删除记录", "存盘", "取消修改" and "返回".
#include "entry/entry_window.h"

namespace veltra::entry {

EntryDescription KfqzhDescription();

class TF_kfqzh : public EntryWindow {
  Q_OBJECT

 public:
  TF_kfqzh(mainunit::MainUnit& main, mainunit::Prompts& prompts);
};

}  // namespace veltra::entry
