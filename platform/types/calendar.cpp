#include "platform/types/calendar.h"

#include <cstdio>

namespace veltra {
namespace {

// Days from 0001-01-01 to 1970-01-01 with day 1 = 0001-01-01.
constexpr std::int64_t kUnixEpochDay = 719163;

// Howard Hinnant's civil-from-days / days-from-civil, relative to 1970-01-01.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<Date> MakeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    return std::nullopt;
  }
  return Date{static_cast<std::int32_t>(DaysFromCivil(year, month, day) + kUnixEpochDay)};
}

CivilDate ToCivil(Date date) {
  std::int64_t z = date.day - kUnixEpochDay + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
  return CivilDate{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

std::string FormatDate(Date date) {
  const CivilDate c = ToCivil(date);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", c.year, c.month, c.day);
  return buffer;
}

std::optional<Date> ParseDate(std::string_view text) {
  int y = 0, m = 0, d = 0;
  const std::string s(text);
  int consumed = 0;
  if ((std::sscanf(s.c_str(), "%d-%d-%d%n", &y, &m, &d, &consumed) == 3 ||
       std::sscanf(s.c_str(), "%d/%d/%d%n", &y, &m, &d, &consumed) == 3) &&
      consumed == static_cast<int>(s.size())) {
    return MakeDate(y, m, d);
  }
  if (s.size() == 8 && s.find_first_not_of("0123456789") == std::string::npos) {
    return MakeDate(std::stoi(s.substr(0, 4)), std::stoi(s.substr(4, 2)), std::stoi(s.substr(6, 2)));
  }
  return std::nullopt;
}

std::string FormatTime(Time time) {
  const int ms = time.millisecond % 1000;
  const int total = time.millisecond / 1000;
  char buffer[24];
  if (ms == 0) {
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%03d", total / 3600, total / 60 % 60,
                  total % 60, ms);
  }
  return buffer;
}

std::string FormatDateTime(DateTime value) {
  return FormatDate(value.date) + " " + FormatTime(value.time);
}

}  // namespace veltra
