#include "entry/kfq_window.h"

#include "entry/change_r.h"
#include "exchange/bhcl.h"

namespace veltra::entry {

TF_kfq::TF_kfq(mainunit::MainUnit& main, mainunit::Prompts& prompts)
    : EntryWindow(std::make_unique<KfqEntry>(main, prompts),
                  {"F_kfq", 792, 543, [this] { ToolButton11Click(); }, [this] { StatusBar1DblClick(); },
                   CoverHeading("国家高新技术产业开发区企业统计报表",
                                "（区外经省、自治区、直辖市、计划单列市、副省级城市科委认定的高新技术企业同时适用）")}),
      main_(main) {
  DBGrid1 = Grid("DBGrid1");
  DBGrid2 = Grid("DBGrid2");
  DBGrid5 = Grid("DBGrid5");
  DBGrid6 = Grid("DBGrid6");
}

TF_kfq::~TF_kfq() = default;

void TF_kfq::StatusBar1DblClick() {
  if (!f_change_r2_) f_change_r2_ = std::make_unique<TF_change_r2>(main_);
  f_change_r2_->ShowModal();
}

void TF_kfq::ToolButton11Click() {
  Frame().ImportSubmission([this] {
    if (!f_bhcl_) f_bhcl_ = std::make_unique<exchange::TF_bhcl>(main_);
    f_bhcl_->ShowModal();
  });
}

}  // namespace veltra::entry
