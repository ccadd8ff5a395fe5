#pragma once
// What a mail session raises when the server cannot be reached, does not
// answer in time or refuses a command. The windows report it in their
// status line; the text says which step failed and what the server said.
#include <stdexcept>
#include <string>

namespace veltra::mail {

class MailError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The server let a reply (or what we send) run past its deadline; the
// windows tell this one apart, since the user has waited for it.
class MailTimeout : public MailError {
 public:
  using MailError::MailError;
};

}  // namespace veltra::mail
