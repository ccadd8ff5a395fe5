// The two mail windows on an installed folder, against loopback servers:
// sending the registered tables, receiving only the system's mail, and
// the log's delete and pack.
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>

#include "exchange/pop3.h"
#include "exchange/smtp.h"
#include "install/working_folder.h"
#include "platform/formats/file_io.h"
#include "platform/text/gbk.h"
#include "tests/platform/mail/loopback_servers.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/platform/ui/harness/ui_script.h"
#include "tests/support/working_folder.h"
#include "tests/support/render_path.h"

namespace veltra::exchange {
namespace {

using ui::testing::Click;
using ui::testing::Find;

class MailWindowTest : public veltra::testing::WorkingFolderTest {
 protected:
  MailWindowTest() : work_(folder() / "work") {
    install::CreateWorkingFolder(work_);
    unit_ = std::make_unique<mainunit::MainUnit>(work_);
  }

  // Points the settings at the loopback servers.
  void UseServers(int smtp_port, int pop3_port) {
    db::Table settings(unit_->Database1);
    settings.SetTableName("mailinit.db");
    settings.Open();
    settings.Edit();
    settings.FieldByName("Smtp_p").SetAsString(std::to_string(smtp_port));
    settings.FieldByName("Pop3_p").SetAsString(std::to_string(pop3_port));
    settings.FieldByName("Pop3_u").SetAsString("tongji");
    settings.Post();
  }
  void Register(int id, const std::string& name, const std::string& text) {
    db::Table table(unit_->Database1);
    table.SetTableName("sendname.db");
    table.Open();
    table.Append();
    table.FieldByName("id").SetAsInteger(id);
    table.FieldByName("name").SetAsString(name);
    table.FieldByName("text").SetAsString(text);
    table.Post();
  }
  std::string Status(ui::Form& form) { return Find<ui::StatusBar>(form, "StatusBar1").SimpleText(); }
  // Shows the window modally: the user's `steps` in it, then it is cancelled.
  void Run(ui::Form& window, const std::function<void(ui::Form&)>& steps) {
    ui_.OnModal(window.objectName().toStdString(), steps, ui::kModalCancel);
    window.ShowModal();
  }

  const bool application_ = (ui::testing::EnsureApplication(), true);
  ui::testing::UiScript ui_;
  veltra::testing::ScriptedPrompts prompts_;
  std::filesystem::path work_;
  std::unique_ptr<mainunit::MainUnit> unit_;
};

TEST_F(MailWindowTest, RegisteredTablesAreSentAndTheirCopiesGoWhenTheWindowCloses) {
  mail::testing::FakeSmtpServer smtp;
  UseServers(smtp.port(), 1);
  Register(1, "kfq_r.db", "高新区企业校验结果");
  Register(2, "kfq_1.db", "高新区企业数据");
  Register(1, "gjxm_r.db", "国家级项目校验结果");
  unit_->ReportKind = 1;
  TF_smtp window(*unit_, prompts_);
  Run(window, [&](ui::Form& form) {
    EXPECT_EQ(window.ListBox1->Items(), (std::vector<std::string>{"kfq_r.db", "gjxm_r.db"}));
    EXPECT_EQ(window.Memo1->Lines(), (std::vector<std::string>{"高新区企业校验结果", "国家级项目校验结果"}));
    EXPECT_TRUE(std::filesystem::exists(work_ / "sendfile" / "gjxm_r.db"));
    // Adding a listed table again, even its own copy, keeps one entry and the copy whole.
    const std::string copy = formats::ReadWholeFile(work_ / "sendfile" / "kfq_r.db");
    prompts_.files = {(work_ / "kfq_r.db").string(), (work_ / "sendfile" / "kfq_r.db").string()};
    ASSERT_TRUE(Click(Find(form, "Button4")));
    ASSERT_TRUE(Click(Find(form, "Button4")));
    EXPECT_EQ(window.ListBox1->Items(), (std::vector<std::string>{"kfq_r.db", "gjxm_r.db"}));
    EXPECT_EQ(formats::ReadWholeFile(work_ / "sendfile" / "kfq_r.db"), copy);
    window.Edit1->SetText("zone@example.cn");
    ASSERT_TRUE(Click(Find(form, "Button6")));  // connects first
    EXPECT_EQ(Status(form), "服务器已断开");
    EXPECT_TRUE(window.Button1->isEnabled());
    EXPECT_FALSE(window.Button2->isEnabled());
    QTest::keyClicks(window.DBEdit1, "tongji");
    EXPECT_TRUE(window.grab().save(veltra::testing::RenderPath("smtp_window.png")));
  });

  ASSERT_EQ(smtp.messages().size(), 1u);
  const std::string data = smtp.messages()[0].data;
  EXPECT_NE(data.find("kfq_r.db"), std::string::npos);
  EXPECT_NE(data.find("gjxm_r.db"), std::string::npos);
  EXPECT_EQ(data.find("kfq_1.db"), std::string::npos) << "mode 1 sends only validation results";
  EXPECT_EQ(smtp.messages()[0].helo, kDefaultSmtpUser);
  EXPECT_FALSE(std::filesystem::exists(work_ / "sendfile" / "kfq_r.db"));
  EXPECT_TRUE(std::filesystem::exists(work_ / "kfq_r.db")) << "the source stays";
  EXPECT_FALSE(unit_->MailConnected);
  EXPECT_EQ(Column("work/mailinit.db", "Smtp_u"), std::vector<std::string>{"tongji"}) << "settings kept on close";
}

TEST_F(MailWindowTest, PlainMailSaysItsBodyIsEmptyAndATableAddedByHandTakesItsMemo) {
  mail::testing::FakeSmtpServer smtp;
  UseServers(smtp.port(), 1);
  unit_->ReportKind = 0;
  std::filesystem::rename(work_ / "sjgxq.mb", work_ / "SJGXQ.MB");
  TF_smtp window(*unit_, prompts_);
  Run(window, [&](ui::Form& form) {
    EXPECT_TRUE(window.ListBox1->Items().empty());
    prompts_.files = {(work_ / "sjgxq.db").string()};
    ASSERT_TRUE(Click(Find(form, "Button4")));
    EXPECT_EQ(window.ListBox1->Items(), (std::vector<std::string>{"sjgxq.db", "SJGXQ.MB"}));
    window.Edit1->SetText("zone@example.cn");
    ASSERT_TRUE(Click(Find(form, "Button6")));
    ASSERT_TRUE(Click(Find(form, "Button5")));  // nothing selected: nothing happens
  });
  ASSERT_EQ(smtp.messages().size(), 1u);
  const auto received = mail::ReadMimeMessage(smtp.messages()[0].data, folder());
  EXPECT_EQ(received.body_lines, std::vector<std::string>{"内容为空"});
  EXPECT_EQ(received.attachments, (std::vector<std::string>{"sjgxq.db", "SJGXQ.MB"}));
}

TEST_F(MailWindowTest, FailuresAreToldInTheStatusLineOnlyAndStayThere) {
  TF_smtp smtp(*unit_, prompts_);
  TF_pop3 pop3(*unit_);
  for (ui::Form* window : std::initializer_list<ui::Form*>{&smtp, &pop3}) {
    for (const char* port : {"2a", ""}) {
      Run(*window, [&](ui::Form& form) {
        Find<ui::DBEdit>(form, "DBEdit3").setText(port);
        ASSERT_TRUE(Click(Find(form, "Button1")));
        EXPECT_EQ(Status(form), "连接服务器错误") << port;
        EXPECT_TRUE(Find<ui::Button>(form, "Button1").isEnabled());
      });
    }
  }
  EXPECT_TRUE(prompts_.notices.empty()) << prompts_.notices.front().text;
  EXPECT_FALSE(unit_->MailConnected);

  // A send the server breaks off and a retrieval it refuses end on their failure, disconnected.
  mail::testing::FakeSmtpServer smtp_server({.drop_during_data = true});
  mail::testing::FakePop3Server pop3_server({"Subject: " + unit_->MailSubjectMarker + "\r\n\r\nbody\r\n"},
                                            {.refused_retrievals = {1}});
  UseServers(smtp_server.port(), pop3_server.port());
  const std::pair<ui::Form*, const char*> failures[] = {{&smtp, "邮件发送错误"}, {&pop3, "邮件接收错误"}};
  for (const auto& [window, failed_status] : failures) {
    const std::string status = failed_status;
    Run(*window, [&](ui::Form& form) {
      smtp.Edit1->SetText("zone@example.cn");
      ASSERT_TRUE(Click(Find(form, "Button6")));
      EXPECT_EQ(Status(form), status);
      EXPECT_TRUE(form.grab().save(QString::fromStdString(form.objectName().toStdString() + "_failed.png")));
      EXPECT_TRUE(Find<ui::Button>(form, "Button1").isEnabled());
      EXPECT_FALSE(Find<ui::Button>(form, "Button2").isEnabled());
    });
  }
  EXPECT_EQ(pop3_server.mailbox().size(), 1u);
}

TEST_F(MailWindowTest, TablesGoWithTheirMemosWhateverTheCaseAndWhatIsMissingIsNamed) {
  mail::testing::FakeSmtpServer smtp;
  UseServers(smtp.port(), 1);
  Register(2, "sjgxq.db", "省级高新区");
  Register(2, "kfq_1.db", "高新区企业数据");
  std::filesystem::rename(work_ / "kfq_1.db", work_ / "KFQ_1.DB");
  std::filesystem::rename(work_ / "sendfile", work_ / "away");
  unit_->ReportKind = 2;
  TF_smtp window(*unit_, prompts_);
  ui_.ExpectException("附件目录" + (work_ / "sendfile").string() + "不存在，无法复制sjgxq.db");
  Run(window, [&](ui::Form&) { EXPECT_FALSE(window.Settings.IsOpen()); });

  std::filesystem::rename(work_ / "away", work_ / "sendfile");
  Run(window, [&](ui::Form& form) {
    EXPECT_EQ(window.ListBox1->Items(), (std::vector<std::string>{"sjgxq.db", "sjgxq.mb", "kfq_1.db"}));
    EXPECT_TRUE(window.Settings.IsOpen());
    window.Edit1->SetText("zone@example.cn");
    ASSERT_TRUE(Click(Find(form, "Button6")));
    EXPECT_EQ(Status(form), "服务器已断开");
  });

  ASSERT_EQ(smtp.messages().size(), 1u);
  const std::string data = smtp.messages()[0].data;
  EXPECT_NE(data.find("Subject: " + text::Utf8ToGbk(unit_->MailSubjectMarker) + "\r\n"), std::string::npos);
  const auto received = mail::ReadMimeMessage(data, work_ / "attach");
  EXPECT_EQ(received.attachments, (std::vector<std::string>{"sjgxq.db", "sjgxq.mb", "kfq_1.db"}));
  for (const auto& [sent, kept] : {std::pair{"sjgxq.mb", "sjgxq.mb"}, {"KFQ_1.DB", "kfq_1.db"}})
    EXPECT_EQ(formats::ReadWholeFile(work_ / "attach" / kept), formats::ReadWholeFile(work_ / sent)) << sent;
}

TEST_F(MailWindowTest, OnlyTheSystemsMailIsLoggedAndDeletingRemovesItsFiles) {
  const std::string marker = unit_->MailSubjectMarker;
  const auto mail = [](const std::string& subject, const std::string& date, const std::string& file) {
    return "From: zone@example.cn\r\nSubject: " + subject + "\r\n" + date +
           "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
           "--b\r\nContent-Type: text/plain\r\n\r\nbody\r\n"
           "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"" +
           file + "\"\r\n\r\ncontent\r\n--b--\r\n";
  };
  const std::string other = mail("other", "", "x.db");
  // "Subject: " and the marker: the subject less its leading blank is the marker.
  mail::testing::FakePop3Server pop3({other, mail(marker, "Date: Tue, 6 Dec 2011 10:20:30 +0800\r\n", "kfq_1.db"),
                                      mail(marker, "Date:Wed, 7 Dec 2011 08:00:00 +0800\r\n", "../kfq_1.db"),
                                      mail(" " + marker, "", "y.db")});
  UseServers(1, pop3.port());
  TF_pop3 window(*unit_);
  Run(window, [&](ui::Form& form) {
    window.Edit1->SetText("secret");
    ASSERT_TRUE(Click(Find(form, "Button6")));
    EXPECT_EQ(Status(form), "服务器已断开");
    EXPECT_EQ(window.Table1.RecordCount(), 2);
    window.Table1.First();
    EXPECT_EQ(window.Table1.FieldByName("日期").AsString(), "2011-12-6 10:20:30");
    EXPECT_EQ(window.ListBox1->Items(), std::vector<std::string>{"kfq_1.db"});
    window.Table1.Next();
    EXPECT_EQ(window.Table1.FieldByName("日期").AsString(), "2011-12-6 10:20:30") << "no \"Date: \" line: the one before";
    EXPECT_EQ(window.ListBox1->Items(), std::vector<std::string>{"kfq_1(2).db"});
    ASSERT_TRUE(Click(Find(form, "Button4")));
    EXPECT_EQ(window.Table1.RecordCount(), 1);
    EXPECT_TRUE(window.grab().save(veltra::testing::RenderPath("pop3_window.png")));
  });
  ASSERT_EQ(pop3.mailbox().size(), 2u);
  EXPECT_EQ(pop3.mailbox()[0], other);
  EXPECT_TRUE(std::filesystem::exists(work_ / "attach" / "kfq_1.db"));
  EXPECT_FALSE(std::filesystem::exists(work_ / "attach" / "kfq_1(2).db"));
  EXPECT_FALSE(std::filesystem::exists(work_ / "kfq_1(2).db"));
  EXPECT_FALSE(window.Table1.Active());
  EXPECT_EQ(Column("work/mailbox.db", "附件"), std::vector<std::string>{"kfq_1.db"}) << "packed, one mail left";
}

TEST_F(MailWindowTest, AServerThatTricklesIsCutOffAtItsDeadlineAndTheStatusLineSaysSo) {
  // A file of `lines` times 57 "A"s, in base64 lines as mail carries it.
  const auto mail = [&](std::size_t lines) {
    std::string base64;
    for (std::size_t i = 0; i < lines * 19; ++i) base64 += i % 19 == 18 ? "QUFB\r\n" : "QUFB";
    return "Subject: " + unit_->MailSubjectMarker + "\r\nContent-Disposition: attachment; filename=\"a.bin\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n" + base64;
  };
  struct Case {
    const char* name;
    mail::testing::SmtpFaults smtp;
    mail::testing::Pop3Faults pop3;
    std::string mail;  // none: a send
    std::string status;
  };
  const std::string timed_out = "：服务器超过 1 秒没有完成应答";
  const std::vector<Case> cases = {
      {"greeting a byte at a time", {.trickled_greeting = true}, {}, "", "发送邮件错误" + timed_out},
      {"message a byte at a time", {}, {.paced_retrievals = {{1, 1}}}, mail(1), "邮件接收错误" + timed_out},
      // Over a line that still works a large message may take longer than one time-out.
      {"large message in pieces", {}, {.paced_retrievals = {{1, 32 * 1024}}}, mail(4000), "服务器已断开"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    mail::testing::FakeSmtpServer smtp(c.smtp);
    mail::testing::FakePop3Server pop3({c.mail}, c.pop3);
    UseServers(smtp.port(), pop3.port());
    TF_smtp sending(*unit_, prompts_);
    TF_pop3 receiving(*unit_);
    sending.NMSMTP1.SetTimeout(std::chrono::milliseconds(300));
    receiving.NMPOP31.SetTimeout(std::chrono::milliseconds(300));
    ui::Form& window = c.mail.empty() ? static_cast<ui::Form&>(sending) : receiving;
    Run(window, [&](ui::Form& form) {
      sending.Edit1->SetText("zone@example.cn");
      const auto start = std::chrono::steady_clock::now();
      ASSERT_TRUE(Click(Find(form, "Button6")));
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
      EXPECT_EQ(Status(form), c.status);
      EXPECT_TRUE(form.grab().save(veltra::testing::RenderPath("trickle_" + std::to_string(&c - cases.data()) + ".png")));
    });
    EXPECT_EQ(pop3.mailbox().empty(), c.status == "服务器已断开") << "a mail leaves the server once logged";
  }
}

TEST_F(MailWindowTest, MailsLoggedBeforeTheConnectionBrokeAreNotLoggedAgain) {
  const auto mail = [&](const std::string& file) {
    return "Subject: " + unit_->MailSubjectMarker + "\r\nContent-Disposition: attachment; filename=\"" + file +
           "\"\r\n\r\ncontent\r\n";
  };
  for (const bool uidl : {true, false}) {
    SCOPED_TRACE(uidl ? "server with UIDL" : "server without UIDL");
    work_ = folder() / (uidl ? "uidl" : "digest");
    install::CreateWorkingFolder(work_);
    unit_ = std::make_unique<mainunit::MainUnit>(work_);
    // Another mailbox's mail of the same id is no concern of this one.
    formats::WriteFileAtomically(work_ / "mailbox.uid", "uid-3 other@elsewhere:110\n");
    mail::testing::FakePop3Server pop3({mail("d1.bin"), mail("d2.bin"), mail("d3.bin")},
                                       {.dropped_retrievals = {3}, .no_uidl = !uidl});
    UseServers(1, pop3.port());
    TF_pop3 window(*unit_);
    Run(window, [&](ui::Form& form) {
      ASSERT_TRUE(Click(Find(form, "Button6")));
      EXPECT_EQ(Status(form), "邮件接收错误");
      pop3.set_faults({.no_uidl = !uidl});
      ASSERT_TRUE(Click(Find(form, "Button6")));
      EXPECT_TRUE(pop3.mailbox().empty());
      ASSERT_TRUE(Click(Find(form, "Button6")));  // an empty mailbox
    });
    EXPECT_EQ(Column(work_.filename().string() + "/mailbox.db", "附件"), (std::vector<std::string>{"d1.bin", "d2.bin", "d3.bin"}));
    // Once the server has let the mails go their ids go too.
    EXPECT_EQ(formats::ReadWholeFile(work_ / "mailbox.uid"), "uid-3 other@elsewhere:110\n");
  }
}

// Text the log cannot hold is logged with question marks, text without a
// boundary kept, the files of a forwarded mail saved inside attach; the
// mails leave the server.
TEST_F(MailWindowTest, ReceivedMailsAreLoggedAsFarAsTheLogCanHoldThem) {
  const std::string cannot_hold = "From: =?utf-8?b?" + std::string("5byg5LiJ8J+YgA==") + "?= <zone@example.cn>\r\n"  // 张三😀
                                  "Subject: " + unit_->MailSubjectMarker +
                                  "\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n收到😀了\r\n";
  const std::string header = "Subject: " + unit_->MailSubjectMarker + "\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed";
  const std::string installed_table = formats::ReadWholeFile(work_ / "kfq_1.db");
  mail::testing::FakePop3Server pop3(
      {cannot_hold, header + "\r\n\r\n" + text::Utf8ToGbk("第一行\r\n第二行") + "\r\n",
       header + "; boundary=\"o\"\r\n\r\n--o\r\n\r\n见转发的邮件\r\n--o\r\nContent-Type: message/rfc822\r\n\r\n"
                "Content-Type: multipart/mixed; boundary=\"i\"\r\n\r\n--i\r\n\r\n原来的邮件\r\n"
                "--i\r\nContent-Disposition: attachment; filename=\"../../kfq_1.db\"\r\n\r\nforwarded table\r\n"
                "--i\r\nContent-Disposition: attachment; filename=\"..\\\\sendfile\\\\x.db\"\r\n\r\nsecond\r\n--i--\r\n--o--\r\n"});
  UseServers(1, pop3.port());
  TF_pop3 window(*unit_);
  Run(window, [&](ui::Form& form) { ASSERT_TRUE(Click(Find(form, "Button6"))); });
  EXPECT_TRUE(pop3.mailbox().empty());
  EXPECT_EQ(Column("work/mailbox.db", "发件人"), (std::vector<std::string>{"张三? <zone@example.cn>", "", ""}));
  EXPECT_EQ(Column("work/mailbox.db", "内容"), (std::vector<std::string>{"收到?了", "第一行\n第二行", "见转发的邮件"}));
  EXPECT_EQ(Column("work/mailbox.db", "附件"), (std::vector<std::string>{"", "", "kfq_1.db\nx.db"}));
  EXPECT_EQ(formats::ReadWholeFile(work_ / "attach" / "kfq_1.db"), "forwarded table");
  EXPECT_EQ(formats::ReadWholeFile(work_ / "attach" / "x.db"), "second");
  EXPECT_EQ(formats::ReadWholeFile(work_ / "kfq_1.db"), installed_table) << "a hostile name stays inside attach";
}

}  // namespace
}  // namespace veltra::exchange
