#pragma once
// Splits a statement into tokens that remember where they stand, so that
// every syntax error can name its line and column.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types/error.h"

namespace veltra::sql {

struct Token {
  enum class Kind {
    Identifier,  // names and keywords alike; the parser tells them apart
    Number,
    String,      // '...'
    Quoted,      // "...": a table name in table positions, a string elsewhere
    Symbol,      // operators and punctuation
    End,
  };
  Kind kind = Kind::End;
  std::string text;  // literal content for String/Quoted, the source text otherwise
  int line = 1;
  int column = 1;            // in characters, from 1
  bool space_before = false;  // blank or line break right before the token
};

// Throws EngineError Syntax for an unterminated literal or a character
// that starts no token.
std::vector<Token> Tokenize(std::string_view statement);

// The one wording of syntax errors: "syntax error near 'x' at line l, column c".
// "第2行第13列": where `token` stands, for messages.
std::string StatementPosition(const Token& token);

[[noreturn]] void ThrowSyntaxError(const Token& token);

// A statement refused at `where` for a reason other than its grammar,
// `why` in the user's words.
[[noreturn]] void RefuseAt(EngineError::Kind kind, const Token& where, const std::string& why);

}  // namespace veltra::sql
