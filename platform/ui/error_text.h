#pragma once
// What a user reads when an exception escapes a handler: the engine's
// errors in Chinese, naming the table, and the field by its caption where
// a window has one, built from the error's kind and subject, never from
// the engine's message. An EngineError made from EngineError::Words (a
// window's own refusal) and a constraint's text stand as they are, as do
// the windows' own exceptions in Chinese; anything else is a program error.
#include <exception>
#include <functional>
#include <string>

namespace veltra::ui {

// The caption a window shows for `field` of `table`, or empty.
using FieldCaptionLookup = std::function<std::string(const std::string& table, const std::string& field)>;
void SetFieldCaptionLookup(FieldCaptionLookup lookup);

// While one is alive with `on` set, errors name fields as they are
// written, not by their captions: for a window that shows a table's own
// field names.
class FieldNamesAsWritten {
 public:
  explicit FieldNamesAsWritten(bool on);
  ~FieldNamesAsWritten();
  FieldNamesAsWritten(const FieldNamesAsWritten&) = delete;
  FieldNamesAsWritten& operator=(const FieldNamesAsWritten&) = delete;

 private:
  bool previous_;
};

std::string UserText(const std::exception& error);

}  // namespace veltra::ui
