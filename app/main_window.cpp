#include "app/main_window.h"

#include <string>
#include <vector>

#include "app/report_kind.h"
#include "dbtool/db_tool.h"
#include "entry/entry_windows.h"
#include "entry/kfq_window.h"
#include "exchange/pop3.h"
#include "exchange/smtp.h"
#include "exchange/xtwh.h"
#include "query/query.h"
#include "query/query_p.h"
#include "reports/report.h"
#include "reports/report_builders.h"
#include "validation/check.h"

namespace veltra::app {

namespace {

struct ButtonPlace {
  const char* name;
  const char* caption;
  int left, top, width, height;
};

}  // namespace

TF_main::TF_main(const std::filesystem::path& working_folder) : ui::Form("F_main"), unit_(working_folder) {
  SetCaption("2011年度Veltra计划录入统计系统");
  SetClientSize(693, 496);
  SetCentred(true);
  setFixedSize(693, 496);
  SetFontHeight(16);

  const auto make = [this](const ButtonPlace& place) {
    auto* button = new ui::Button(this, place.name, place.caption);
    button->setGeometry(place.left, place.top, place.width, place.height);
    return button;
  };
  // Created in the form's tab order: the four task buttons, the list, the others.
  Button1 = make({"Button1", "数据录入", 352, 48, 129, 73});
  Button7 = make({"Button7", "报表校验", 352, 160, 129, 73});
  Button5 = make({"Button5", "查询统计", 352, 272, 129, 73});
  Button6 = make({"Button6", "报表打印", 352, 384, 129, 73});
  RadioGroup1 = new ui::RadioGroup(this, "RadioGroup1", "请选择报表",
                                   std::vector<std::string>(kReportItems.begin(), kReportItems.end()));
  RadioGroup1->setGeometry(32, 24, 465, 449);
  RadioGroup1->lower();  // the task buttons stand inside the group's right part
  RadioGroup1->SetItemIndex(0);
  for (int i = 0; i < RadioGroup1->Count(); ++i) RadioGroup1->Item(i)->setMaximumWidth(300);
  RadioGroup1->OnClick = [this] { RadioGroup1Click(); };
  Button3 = make({"Button3", "发送数据库", 512, 96, 153, 49});
  Button8 = make({"Button8", "发送邮件", 512, 160, 153, 49});
  Button2 = make({"Button2", "接收邮件", 512, 224, 153, 49});
  Button10 = make({"Button10", "直接操作数据库", 512, 288, 153, 49});
  Button11 = make({"Button11", "系统维护", 512, 352, 153, 49});
  Button4 = make({"Button4", "退出", 512, 416, 153, 49});
  Button9 = make({"Button9", "发送校验表", 512, 32, 153, 49});
  // No control enables the mail buttons.
  for (ui::Button* mail : {Button9, Button3, Button8, Button2}) mail->setEnabled(false);

  Button1->OnClick = [this] { Button1Click(); };
  Button4->OnClick = [this] { Button4Click(); };
  Button7->OnClick = [this] { Button7Click(); };
  Button5->OnClick = [this] { Button5Click(); };
  Button6->OnClick = [this] { Button6Click(); };
  Button8->OnClick = [this] { SendMail(0); };
  Button9->OnClick = [this] { SendMail(1); };
  Button3->OnClick = [this] { SendMail(2); };
  Button2->OnClick = [this] { Button2Click(); };
  Button10->OnClick = [this] { Button10Click(); };
  Button11->OnClick = [this] { Button11Click(); };
}

TF_main::~TF_main() = default;

void TF_main::RadioGroup1Click() {
  const bool offered = ValidationAndQueryOffered(RadioGroup1->ItemIndex());
  Button7->setEnabled(offered);
  Button5->setEnabled(offered);
}

void TF_main::Button1Click() {
  unit_.OpenedFromCheck = false;
  const EntryChoice choice = EntryWindowFor(RadioGroup1->ItemIndex());
  ShowEntryWindow(choice.window, std::string(choice.caption) + unit_.CaptionSuffix);
}

entry::TF_kfq* TF_main::F_kfq() const { return static_cast<entry::TF_kfq*>(EntryWindowNamed("TF_kfq")); }

ui::Form* TF_main::EntryWindowNamed(std::string_view window) const {
  const auto found = f_entry_.find(window);
  return found == f_entry_.end() ? nullptr : found->second.get();
}

void TF_main::ShowEntryWindow(std::string_view window, const std::string& caption) {
  auto found = f_entry_.find(window);
  if (found == f_entry_.end()) {
    found = f_entry_.emplace(std::string(window), entry::CreateEntryWindow(window, unit_, prompts_)).first;
  }
  ui::Form& form = *found->second;
  unit_.MainCurrentForm = &form;
  form.SetCaption(caption);
  form.ShowModal();
}

void TF_main::Button6Click() {
  unit_.ReportKind = ReportKindCode(RadioGroup1->ItemIndex());
  if (!f_report_) f_report_ = std::make_unique<reports::TF_report>(unit_, reports::ReportBuilders(report_builders_));
  f_report_->SetCaption("报表打印" + unit_.CaptionSuffix);
  f_report_->ShowModal();
}

void TF_main::Button7Click() {
  unit_.ReportKind = ReportKindCode(RadioGroup1->ItemIndex());
  if (!f_check_) f_check_ = std::make_unique<validation::TF_check>(unit_, entry_windows_);
  f_check_->ShowModal();
}

void TF_main::Button4Click() { Close(); }

void TF_main::Button5Click() {
  unit_.ReportKind = ReportKindCode(RadioGroup1->ItemIndex());
  if (!f_query_) f_query_ = std::make_unique<query::TF_query>(unit_);
  f_query_->Show();
}

void TF_main::Button10Click() {
  if (!f_db_tool_) {
    f_db_tool_ = std::make_unique<dbtool::TF_db_tool>(unit_.Database1, unit_.OpenDialog1, unit_.SaveDialog1);
    f_db_tool_->ShowPrintout = [this] {
      if (!f_query_p_) f_query_p_ = std::make_unique<query::TF_query_p>(unit_.Database1);
      f_query_p_->ShowModal();
    };
  }
  f_db_tool_->ShowModal();
}

void TF_main::Button11Click() {
  if (!f_xtwh_) f_xtwh_ = std::make_unique<exchange::TF_xtwh>(unit_, prompts_);
  f_xtwh_->SetCaption("系统维护" + unit_.CaptionSuffix);
  f_xtwh_->ShowModal();
}

void TF_main::SendMail(int mode) {
  unit_.ReportKind = mode;
  if (!f_smtp_) f_smtp_ = std::make_unique<exchange::TF_smtp>(unit_, prompts_);
  f_smtp_->ShowModal();
}

void TF_main::Button2Click() {
  if (!f_pop3_) f_pop3_ = std::make_unique<exchange::TF_pop3>(unit_);
  f_pop3_->ShowModal();
}

}  // namespace veltra::app
