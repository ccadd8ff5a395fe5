#pragma once
// What a user reads when an exception escapes a handler: the engine's
// errors in Chinese, naming the table, and the field by its caption where
// a window has one. Messages already in the user's words (the windows'
// own, a rule's text, which carry no subject) stand as they are.
#include <exception>
#include <functional>
#include <string>

namespace veltra::ui {

// The caption a window shows for `field` of `table`, or empty.
using FieldCaptionLookup = std::function<std::string(const std::string& table, const std::string& field)>;
void SetFieldCaptionLookup(FieldCaptionLookup lookup);

std::string UserText(const std::exception& error);

}  // namespace veltra::ui
