#pragma once
// What the mail windows read out of a message: whether it is one of the
// system's own mails, and the date text logged for it.
#include <optional>
#include <string>
#include <string_view>

namespace veltra::exchange {

// True when the subject less its first character is exactly the marker,
// compared byte for byte in the tables' code page over at most 30 bytes.
bool IsSystemMail(std::string_view subject, std::string_view marker);

// "year-month-day time" from a "Date: " header line: the first five tokens
// after "Date:" as weekday, day, month, year and time (missing ones empty,
// each cut to 7, 7, 3, 7 and 11 characters); an English month abbreviation
// written exactly becomes its number. Empty when the line holds no day,
// month, year or time.
std::string MailDateText(std::string_view date_line);

// `text` with every character that the tables' code page cannot hold
// replaced by "?", so that a received mail can always be logged.
std::string StorableText(std::string_view text);

// The port typed in a settings edit, or nothing when it is not a number
// from 1 to 65535.
std::optional<int> PortNumber(std::string_view text);

}  // namespace veltra::exchange
