#include "exchange/mail_texts.h"

#include <array>
#include <charconv>
#include <vector>

#include "platform/text/gbk.h"
#include "platform/text/utf8.h"

namespace veltra::exchange {

bool IsSystemMail(std::string_view subject, std::string_view marker) {
  std::string stored;
  try {
    stored = text::Utf8ToGbk(subject);
  } catch (const std::exception&) {
    return false;  // text the tables cannot store is no subject of ours
  }
  const std::string_view compared = std::string_view(stored).substr(std::min<std::size_t>(1, stored.size()), 30);
  return compared == text::Utf8ToGbk(marker);
}

std::string MailDateText(std::string_view date_line) {
  std::string_view rest = date_line.substr(std::min<std::size_t>(5, date_line.size()), 80);
  std::vector<std::string> tokens;
  while (tokens.size() < 5) {
    const std::size_t start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    const std::size_t end = std::min(rest.find_first_of(" \t"), rest.size());
    tokens.emplace_back(rest.substr(0, end));
    rest.remove_prefix(end);
  }
  tokens.resize(5);
  static constexpr std::array<std::size_t, 5> kLimits = {7, 7, 3, 7, 11};
  for (std::size_t i = 0; i < 5; ++i) tokens[i] = std::string(text::TruncateToGbkBytes(tokens[i], kLimits[i]));
  static constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (std::size_t m = 0; m < kMonths.size(); ++m)
    if (tokens[2] == kMonths[m]) tokens[2] = std::to_string(m + 1);
  // A line with no date in it leaves the date empty rather than "-- ".
  if (tokens[1].empty() && tokens[2].empty() && tokens[3].empty() && tokens[4].empty()) return {};
  return tokens[3] + "-" + tokens[2] + "-" + tokens[1] + " " + tokens[4];
}

std::string StorableText(std::string_view text) {
  if (text::IsGbkEncodable(text)) return std::string(text);
  std::string storable;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    text::NextCodePoint(text, pos);
    const std::string_view character = text.substr(start, pos - start);
    storable += text::IsGbkEncodable(character) ? character : "?";
  }
  return storable;
}

std::optional<int> PortNumber(std::string_view text) {
  int port = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535) return std::nullopt;
  return port;
}

}  // namespace veltra::exchange
