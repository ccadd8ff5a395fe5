#pragma once
// Values pasted into filters and statements go in as quoted literals, so a
// report number holding a quote cannot change the statement.
#include <string>
#include <string_view>

namespace veltra::mainunit {

// 'text' with every ' doubled; with `quote` '"' the dialect's other form
// of a string literal, "text" with every " doubled.
std::string SqlString(std::string_view text, char quote = '\'');

}  // namespace veltra::mainunit
