#include "platform/types/calendar.h"

#include <gtest/gtest.h>

namespace veltra {
namespace {

TEST(Calendar, DayNumbersMatchTheStoredForm) {
  EXPECT_EQ(MakeDate(1, 1, 1)->day, 1);
  EXPECT_EQ(MakeDate(2011, 12, 6)->day, 734477);
  EXPECT_EQ(MakeDate(2018, 1, 1)->day, 0x0B3DB7);
}

TEST(Calendar, RoundTripsAcrossLeapYearsAndCenturies) {
  for (int day = 1; day <= 3652059; day += 97) {  // up to 9999-12-31
    const CivilDate c = ToCivil(Date{day});
    ASSERT_EQ(MakeDate(c.year, c.month, c.day)->day, day);
  }
  EXPECT_TRUE(MakeDate(2000, 2, 29));
  EXPECT_FALSE(MakeDate(1900, 2, 29));
  EXPECT_FALSE(MakeDate(2011, 2, 30));
  EXPECT_FALSE(MakeDate(2011, 13, 1));
}

TEST(Calendar, ParsesAndFormats) {
  EXPECT_EQ(FormatDate(*ParseDate("2011-12-06")), "2011-12-06");
  EXPECT_EQ(ParseDate("2011/1/5"), MakeDate(2011, 1, 5));
  EXPECT_EQ(ParseDate("20111206"), MakeDate(2011, 12, 6));
  EXPECT_FALSE(ParseDate("2011-12-06x"));
  EXPECT_FALSE(ParseDate("2011-02-30"));
  EXPECT_EQ(FormatTime(Time{(13 * 3600 + 45 * 60 + 30) * 1000}), "13:45:30");
  EXPECT_EQ(FormatTime(Time{5}), "00:00:00.005");
}

}  // namespace
}  // namespace veltra
