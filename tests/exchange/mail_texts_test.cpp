// Which subjects mark the system's own mails, and the date text logged
// for a received mail.
#include "exchange/mail_texts.h"

#include <gtest/gtest.h>

namespace veltra::exchange {
namespace {

const std::string kMarker = "***Veltra计划统计软件***";

TEST(MailTexts, SubjectsAndDatesAsTheReceivingWindowReadsThem) {
  const std::pair<std::string, bool> subjects[] = {
      {" " + kMarker, true},         {"x" + kMarker, true},        {kMarker, false},
      {" " + kMarker + "x", false},  {"  " + kMarker, false},      {"", false},
      {" ***Veltra计划统计", false}, {" " + kMarker + "😀", false},
  };
  for (const auto& [subject, system] : subjects) EXPECT_EQ(IsSystemMail(subject, kMarker), system) << subject;

  const std::pair<std::string, std::string> dates[] = {
      {"Date: Tue, 6 Dec 2011 10:20:30 +0800", "2011-12-6 10:20:30"},
      {"Date: Mon, 10 Oct 2011 08:05:00 +0800", "2011-10-10 08:05:00"},
      {"Date: Tue, 6 dec 2011 10:20:30 +0800", "2011-dec-6 10:20:30"},
      {"Date: Tue, 6 Dec", "-12-6 "},
      {"Date: ", ""},
      {"Date: Tue,", ""},
      {"Date: Wednesday, 16 December 20111 10:20:30.123456 +0800", "20111-12-16 10:20:30.12"},
  };
  for (const auto& [line, text] : dates) EXPECT_EQ(MailDateText(line), text) << line;

  EXPECT_EQ(PortNumber("25"), 25);
  for (const char* bad : {"", "2a", "-1", "0", "65536", " 25"}) EXPECT_FALSE(PortNumber(bad)) << bad;
}

}  // namespace
}  // namespace veltra::exchange
