#pragma once
// Calendar values as the tables store them: a date is a day number with
// 0001-01-01 = day 1 (proleptic Gregorian), a time is milliseconds since
// midnight, a timestamp is both.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veltra {

struct Date {
  std::int32_t day = 0;
  friend auto operator<=>(const Date&, const Date&) = default;
};

struct Time {
  std::int32_t millisecond = 0;
  friend auto operator<=>(const Time&, const Time&) = default;
};

struct DateTime {
  Date date;
  Time time;
  friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

struct CivilDate {
  int year = 1;
  int month = 1;
  int day = 1;
};

// Day number of a valid civil date; nullopt for an impossible one (2011-02-30).
std::optional<Date> MakeDate(int year, int month, int day);
CivilDate ToCivil(Date date);

// "YYYY-MM-DD"; parsing also takes "YYYY/MM/DD" and "YYYYMMDD".
std::string FormatDate(Date date);
std::optional<Date> ParseDate(std::string_view text);

// "HH:MM:SS" (with ".mmm" when the milliseconds are not zero).
std::string FormatTime(Time time);
std::string FormatDateTime(DateTime value);

}  // namespace veltra
