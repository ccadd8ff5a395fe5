#pragma once
// The one error type of the engine layers (file formats, SQL, tables). The
// kind lets a caller react (a window translates KeyViolation into its own
// message); the message says what went wrong with which table, field or file.
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace veltra {

// What an error is about, so that the message a user sees can name it in
// the user's words (a field by its caption); empty where not known.
struct ErrorSubject {
  std::string table;  // table or file
  std::string field;  // field, or the index of an IndexViolation
  std::string value;  // the refused value as given, or the word of a statement
  int line = 0;       // where in a statement, from 1
  int column = 0;
  std::string reason;  // why, in the user's words (a limit with its figures); may be empty
  int os_error = 0;    // the errno of a read or write the system refused
};

class EngineError : public std::runtime_error {
 public:
  enum class Kind {
    KeyViolation,      // duplicate primary key: message exactly "Key violation."
    IndexViolation,    // duplicate in a unique secondary index; message names the index
    ConstraintFailed,  // a record constraint; message is the constraint's own
    NoSuchTable,
    NoSuchField,
    NoSuchIndex,
    Syntax,            // SQL text that does not parse; message says where
    Unsupported,       // a construct the engine does not implement; message says which
    TypeMismatch,
    InvalidValue,      // a value that its field cannot hold (text GBK cannot encode ...)
    InvalidName,       // a table or field name the format cannot store
    FileFormat,        // a file that is truncated, garbled or of an unknown kind
    Io,                // the operating system refused a read, write or rename
    TableBusy,         // a table that must be closed is held open
    State,             // an operation not allowed in the data set's current state
  };

  // A refusal already worded for the user (a window's own, a rule's
  // text): shown as it stands.
  struct Words {
    std::string text;
  };

  EngineError(Kind kind, std::string message, ErrorSubject subject = {})
      : std::runtime_error(message), kind_(kind), subject_(std::move(subject)) {}
  EngineError(Kind kind, Words words, ErrorSubject subject = {})
      : std::runtime_error(words.text), kind_(kind), subject_(std::move(subject)), worded_(true) {}
  Kind kind() const { return kind_; }
  const ErrorSubject& subject() const { return subject_; }
  bool worded() const { return worded_; }

 private:
  Kind kind_;
  ErrorSubject subject_;
  bool worded_ = false;
};

// Thrown to end an event handler quietly: the action is abandoned and no
// message is shown (the windows raise it after showing their own message).
class SilentAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "operation aborted"; }
};

}  // namespace veltra
