// The mail sessions against loopback servers: a round trip from sending to
// receiving, the faults a server can show, and messages written and read
// by Python's own mail modules.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "loopback_servers.h"
#include "platform/formats/file_io.h"
#include "platform/mail/mail_error.h"
#include "platform/mail/pop3_session.h"
#include "platform/mail/smtp_session.h"
#include "platform/text/gbk.h"

namespace veltra::mail {
namespace {

using testing::FakePop3Server;
using testing::FakeSmtpServer;

const std::string kMarker = "***Veltra计划统计软件***";

class MailSessionTest : public ::testing::Test {
 protected:
  MailSessionTest() {
    char pattern[] = "/tmp/veltra_mail_XXXXXX";
    folder_ = mkdtemp(pattern);
    std::filesystem::create_directory(folder_ / "attach");
  }
  ~MailSessionTest() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path Write(const std::string& name, const std::string& bytes) {
    const auto path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  OutgoingMessage Message() {
    OutgoingMessage message;
    message.from_address = "tongji@example.cn";
    message.from_name = "统计员";
    message.subject = kMarker;
    message.to = {"zone@example.cn"};
    message.cc = {""};
    message.body_lines = {"高新区企业数据", ".以点开头的一行", "第三行"};
    return message;
  }
  // What the SMTP server received, dots unstuffed again.
  static std::string Unstuffed(const std::string& data) {
    std::string out;
    bool line_start = true;
    for (std::size_t i = 0; i < data.size(); ++i) {
      if (line_start && data[i] == '.') continue;
      out += data[i];
      line_start = data[i] == '\n';
    }
    return out;
  }

  std::filesystem::path folder_;
};

TEST_F(MailSessionTest, SentMessagesComeBackWholeAndOnlyMarkedOnesAreTaken) {
  std::string binary = "kfq_1 bytes\r\n.\r\n..\r\n";
  for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
  OutgoingMessage message = Message();
  message.attachments = {Write("kfq_1.db", binary), Write("企业名单.db", "中文名称的附件")};

  FakeSmtpServer smtp;
  SmtpSession sender;
  std::vector<std::string> encoded;
  std::size_t last_sent = 0, total = 0;
  sender.OnEncodeStart = [&](const std::string& file) { encoded.push_back("start " + file); };
  sender.OnEncodeEnd = [&](const std::string& file) { encoded.push_back("end " + file); };
  sender.OnPacketSent = [&](std::size_t sent, std::size_t all) { last_sent = sent, total = all; };
  sender.Connect("127.0.0.1", smtp.port(), "VLTR");
  sender.SendMail(message);
  sender.Disconnect();
  ASSERT_EQ(smtp.messages().size(), 1u);
  EXPECT_EQ(smtp.messages()[0].recipients, std::vector<std::string>{"zone@example.cn"}) << "no RCPT for an empty Cc";
  EXPECT_EQ(smtp.messages()[0].helo, "VLTR");
  EXPECT_EQ(encoded, (std::vector<std::string>{"start kfq_1.db", "end kfq_1.db", "start 企业名单.db", "end 企业名单.db"}));
  EXPECT_EQ(last_sent, total);

  const std::string sent = Unstuffed(smtp.messages()[0].data);
  const std::string other = "From: a@b\r\nSubject: 其他邮件\r\n\r\nbody\r\n";
  const std::string longer = "From: a@b\r\nSubject: " + kMarker + "x\r\n\r\nbody\r\n";
  // Older installations wrote the subject as raw GBK.
  const std::string raw_gbk = "From: a@b\r\nSubject: " + text::Utf8ToGbk(kMarker) + "\r\n\r\nbody\r\n";
  FakePop3Server pop3({other, sent, longer, raw_gbk});
  Pop3Session receiver;
  receiver.Connect("127.0.0.1", pop3.port(), "user", "secret");
  ASSERT_EQ(receiver.MessageCount(), 4);
  std::vector<int> taken;
  for (int n = 1; n <= receiver.MessageCount(); ++n) {
    const std::string subject = receiver.GetSummary(n).subject;
    if (subject.size() > 1 && subject.substr(1) == kMarker) taken.push_back(n);
  }
  ASSERT_EQ(taken, (std::vector<int>{2, 4}));
  const ReceivedMessage received = receiver.GetMailMessage(2, folder_ / "attach");
  receiver.DeleteMessage(2);
  receiver.Disconnect();

  EXPECT_NE(received.from.find("统计员"), std::string::npos) << received.from;
  EXPECT_NE(received.from.find("tongji@example.cn"), std::string::npos);
  EXPECT_EQ(received.body_lines, message.body_lines);
  EXPECT_EQ(received.attachments, (std::vector<std::string>{"kfq_1.db", "企业名单.db"}));
  EXPECT_EQ(formats::ReadWholeFile(folder_ / "attach" / "kfq_1.db"), binary);
  EXPECT_EQ(formats::ReadWholeFile(folder_ / "attach" / "企业名单.db"), "中文名称的附件");
  EXPECT_EQ(pop3.mailbox(), (std::vector<std::string>{other, longer, raw_gbk})) << "the others stay on the server";
}

TEST_F(MailSessionTest, ServerFaultsEndInErrorsOrEvents) {
  struct Case {
    std::string name;
    testing::SmtpFaults faults;
    std::vector<std::string> to;
    bool fails;
    std::vector<std::string> not_found;
  };
  const std::vector<Case> cases = {
      {"one recipient refused", {.refused_recipients = {"nobody@example.cn"}}, {"nobody@example.cn", "zone@example.cn"},
       false, {"nobody@example.cn"}},
      {"every recipient refused", {.refused_recipients = {"nobody@example.cn"}}, {"nobody@example.cn"}, true,
       {"nobody@example.cn"}},
      {"connection dropped during DATA", {.drop_during_data = true}, {"zone@example.cn"}, true, {}},
      {"EHLO refused, HELO taken", {.refuse_ehlo = true}, {"zone@example.cn"}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSmtpServer smtp(c.faults);
    SmtpSession session(std::chrono::milliseconds(2000));
    std::vector<std::string> not_found;
    session.OnRecipientNotFound = [&](const std::string& r) { not_found.push_back(r); };
    session.Connect("127.0.0.1", smtp.port(), "VLTR");
    OutgoingMessage message = Message();
    message.to = c.to;
    if (c.fails) {
      EXPECT_THROW(session.SendMail(message), MailError);
    } else {
      EXPECT_NO_THROW(session.SendMail(message));
    }
    session.Disconnect();
    EXPECT_EQ(not_found, c.not_found);
    EXPECT_EQ(smtp.messages().size(), c.fails ? 0u : 1u);
  }

  {
    // A line break in a typed address cannot add a command of its own.
    FakeSmtpServer smtp;
    SmtpSession session;
    session.Connect("127.0.0.1", smtp.port(), "VLTR\r\nRSET");
    OutgoingMessage message = Message();
    message.from_address = "a@b\r\nRSET";
    message.to = {"zone@example.cn\r\nRCPT TO:<evil@example.cn>", "\r\n"};
    session.SendMail(message);
    session.Disconnect();
    for (const std::string& command : smtp.commands()) EXPECT_NE(command.substr(0, 4), "RSET") << command;
    ASSERT_EQ(smtp.messages().size(), 1u);
    EXPECT_EQ(smtp.messages()[0].recipients, std::vector<std::string>{"zone@example.cnRCPT TO:<evil@example.cn>"});
  }

  const std::string message = "From: a@b\r\nSubject: " + std::string(" ") + kMarker + "\r\n\r\nbody\r\n";
  {
    FakePop3Server pop3({message}, {.refuse_password = true});
    Pop3Session session;
    EXPECT_THROW(session.Connect("127.0.0.1", pop3.port(), "user", "wrong"), MailError);
    EXPECT_FALSE(session.Connected());
  }
  {
    FakePop3Server pop3({message}, {.refused_retrievals = {1}});
    Pop3Session session;
    session.Connect("127.0.0.1", pop3.port(), "user", "secret");
    EXPECT_THROW(session.GetMailMessage(1, folder_ / "attach"), MailError);
    session.Disconnect();
    EXPECT_EQ(pop3.mailbox().size(), 1u) << "a failed retrieval deletes nothing";
  }
  {
    // One time-out, then the goodbye goes out without a second wait.
    FakePop3Server pop3({message}, {.stalled_retrievals = {1}});
    Pop3Session session(std::chrono::milliseconds(1000));
    session.Connect("127.0.0.1", pop3.port(), "user", "secret");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(session.GetMailMessage(1, folder_ / "attach"), MailError);
    session.Disconnect();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900));
    EXPECT_FALSE(session.Connected());
  }
  {
    FakePop3Server pop3({message}, {.silent = true});
    Pop3Session session(std::chrono::milliseconds(200));
    EXPECT_THROW(session.Connect("127.0.0.1", pop3.port(), "user", "secret"), MailError);
  }
}

TEST_F(MailSessionTest, AttachmentNamesStayInTheFolderAndNeverReplaceAnother) {
  const std::string message =
      "From: a@b\r\nSubject: x\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
      "--b\r\nContent-Type: text/plain\r\n\r\nbody\r\n"
      "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"../../evil.db\"\r\n"
      "Content-Transfer-Encoding: base64\r\n\r\nZXZpbA==\r\n"
      "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"kfq_1.db\"\r\n"
      "\r\nsecond\r\n"
      "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"..\"\r\n"
      "\r\nthird\r\n"
      "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"" +
      std::string(195, 'n') + "长长长长长长长长长长长长长长长长.db\"\r\n\r\nfourth\r\n"
      "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; "
      "filename*=utf-8''%F0%9F%98%80.db\r\n\r\nfifth\r\n"
      "--b\r\nContent-Disposition: attachment; filename=\"sjgxq.db\"\r\n\r\ntable\r\n"
      "--b\r\nContent-Disposition: attachment; filename=\"sjgxq.mb\"\r\n\r\nmemos\r\n--b--\r\n";
  Write("attach/kfq_1.db", "already here");
  Write("attach/SJGXQ.DB", "an older table without memos");
  const ReceivedMessage received = ReadMimeMessage(message, folder_ / "attach");
  // A name the folder cannot take is shortened, its type kept; a character
  // the log cannot hold becomes "_".
  EXPECT_EQ(received.attachments, (std::vector<std::string>{"evil.db", "kfq_1(2).db", "附件",
                                                            std::string(195, 'n') + ".db", "_.db",
                                                            "sjgxq(2).db", "sjgxq(2).mb"}));
  EXPECT_EQ(formats::ReadWholeFile(folder_ / "attach" / "evil.db"), "evil");
  EXPECT_EQ(formats::ReadWholeFile(folder_ / "attach" / "kfq_1.db"), "already here");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "evil.db"));
  EXPECT_EQ(received.body_lines, std::vector<std::string>{"body"});
}

TEST_F(MailSessionTest, BodiesDeclareTheCharsetTheirTextNeedsAndComeBackWhole) {
  const std::pair<std::vector<std::string>, std::string> bodies[] = {
      {{"plain text"}, "us-ascii"},
      {{"高新区企业数据", "第二行"}, "GBK"},
      {{"表情😀不在GBK里"}, "utf-8"},
      {{std::string(2500, 'x'), "short"}, "us-ascii"},
  };
  for (const auto& [lines, charset] : bodies) {
    OutgoingMessage message = Message();
    message.body_lines = lines;
    const std::string text = WriteMimeMessage(message);
    EXPECT_NE(text.find("charset=" + charset), std::string::npos) << text;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
      ASSERT_LE(end - start, 998u) << "SMTP refuses longer lines";
    EXPECT_EQ(ReadMimeMessage(text, folder_ / "attach").body_lines, lines);
  }
}

// Runs Debian's Python (the one that sees Debian's modules) on a script.
std::string RunPython(const std::string& script) {
  FILE* pipe = popen(("/usr/bin/python3 -c '" + script + "' 2>&1").c_str(), "r");
  std::string out;
  char chunk[4096];
  while (std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) out.append(chunk, n);
  pclose(pipe);
  return out;
}

TEST_F(MailSessionTest, PythonsMailModulesReadOursAndWeReadTheirs) {
  const auto spool = folder_ / "spool.eml";
  const auto long_line = folder_ / "long_line.eml";
  const auto ready = folder_ / "ready";
  // aiosmtpd receives our message; Python's email parser reads it back.
  const std::string server =
      "import os, socket, time\n"
      "from aiosmtpd.controller import Controller\n"
      "s = socket.socket(); s.bind((\"127.0.0.1\", 0)); port = s.getsockname()[1]; s.close()\n"
      "class H:\n"
      "  async def handle_DATA(self, server, session, envelope):\n"
      "    name = \"" + long_line.string() + "\" if os.path.exists(\"" + spool.string() + "\") else \"" + spool.string() + "\"\n"
      "    open(name, \"wb\").write(envelope.original_content)\n"
      "    return \"250 ok\"\n"
      "c = Controller(H(), hostname=\"127.0.0.1\", port=port)\n"
      "c.start()\n"
      "open(\"" + ready.string() + "\", \"w\").write(str(port))\n"
      "for _ in range(100):\n"
      "  time.sleep(0.1)\n"
      "  if os.path.exists(\"" + long_line.string() + "\"): break\n"
      "c.stop()\n";
  std::string server_output;
  std::thread python([&] { server_output = RunPython(server); });
  for (int i = 0; i < 200 && !std::filesystem::exists(ready); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  if (!std::filesystem::exists(ready)) {
    python.join();
    FAIL() << "aiosmtpd did not start: " << server_output;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  OutgoingMessage message = Message();
  message.attachments = {Write("企业名单.db", "附件内容")};
  SmtpSession session;
  session.Connect("127.0.0.1", std::stoi(formats::ReadWholeFile(ready)), "VLTR");
  session.SendMail(message);
  // aiosmtpd refuses a line over 998 bytes: the body must be encoded.
  OutgoingMessage wide = Message();
  wide.body_lines = {std::string(1500, 'x'), "end"};
  EXPECT_NO_THROW(session.SendMail(wide));
  session.Disconnect();
  python.join();
  const std::string parsed = RunPython(
      "import email, email.policy\n"
      "m = email.message_from_binary_file(open(\"" + spool.string() + "\", \"rb\"), policy=email.policy.default)\n"
      "raw = open(\"" + spool.string() + "\", \"rb\").read().split(b\"\\r\\n\")\n"
      "print([l for l in raw if l.startswith(b\"Subject: \")][0][9:].decode(\"gbk\")); print(m[\"from\"])\n"
      "for p in m.walk():\n"
      "  if p.get_content_maintype() == \"multipart\": continue\n"
      "  if p.get_filename(): print(p.get_filename(), p.get_payload(decode=True).decode(\"utf-8\"))\n"
      "  else: print(p.get_content().strip().replace(\"\\r\\n\", \"\\n\"))\n");
  // A receiver that compares the bytes after "Subject: " finds the marker in GBK.
  EXPECT_EQ(parsed, kMarker + "\n统计员 <tongji@example.cn>\n高新区企业数据\n.以点开头的一行\n第三行\n企业名单.db 附件内容\n");
  EXPECT_EQ(RunPython("import email, email.policy\n"
                      "m = email.message_from_binary_file(open(\"" + long_line.string() + "\", \"rb\"), policy=email.policy.default)\n"
                      "print(m.get_body().get_content() == \"x\" * 1500 + \"\\nend\\n\")\n"),
            "True\n");

  // Python writes a message with an RFC 2231 name and a quoted-printable GBK body.
  const auto written = folder_ / "python.eml";
  RunPython(
      "from email.message import EmailMessage\n"
      "m = EmailMessage(); m[\"From\"] = \"统计处 <zone@example.cn>\"; m[\"Subject\"] = \" " + kMarker + "\"\n"
      "m.set_content(\"第一行\\n第二行\\n\", charset=\"gbk\", cte=\"quoted-printable\")\n"
      "m.add_attachment(b\"\\x00\\x01data\", maintype=\"application\", subtype=\"octet-stream\", filename=(\"utf-8\", \"\", \"科技企业.db\"))\n"
      "open(\"" + written.string() + "\", \"wb\").write(m.as_bytes())\n");
  const ReceivedMessage received = ReadMimeMessage(formats::ReadWholeFile(written), folder_ / "attach");
  EXPECT_EQ(received.body_lines, (std::vector<std::string>{"第一行", "第二行"}));
  EXPECT_EQ(received.attachments, std::vector<std::string>{"科技企业.db"});
  EXPECT_EQ(formats::ReadWholeFile(folder_ / "attach" / "科技企业.db"), std::string("\x00\x01" "data", 6));
  EXPECT_NE(received.from.find("统计处"), std::string::npos) << received.from;
}

}  // namespace
}  // namespace veltra::mail
