#pragma once
// TF_kfq, the enterprise survey window ("高新区企业", "区外企业"): the entry
// window of KfqEntry, with the form's title on its cover, "数据入库" and the
// enterprise locate dialog TF_change_r2.
#include <memory>

#include "entry/entry_window.h"
#include "entry/kfq.h"

namespace veltra::exchange {
class TF_bhcl;
}  // namespace veltra::exchange

namespace veltra::entry {

class TF_change_r2;

class TF_kfq : public EntryWindow {
  Q_OBJECT

 public:
  TF_kfq(mainunit::MainUnit& main, mainunit::Prompts& prompts);
  ~TF_kfq() override;

  KfqEntry& Frame() { return static_cast<KfqEntry&>(EntryWindow::Frame()); }

  ui::DBGrid* DBGrid1;
  ui::DBGrid* DBGrid2;
  ui::DBGrid* DBGrid5;
  ui::DBGrid* DBGrid6;

 private:
  void StatusBar1DblClick();
  void ToolButton11Click();

  mainunit::MainUnit& main_;
  std::unique_ptr<TF_change_r2> f_change_r2_;
  std::unique_ptr<exchange::TF_bhcl> f_bhcl_;
};

}  // namespace veltra::entry
