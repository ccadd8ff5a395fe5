#include "platform/sql/lexer.h"

#include "platform/text/utf8.h"
#include "platform/types/error.h"

namespace veltra::sql {
namespace {

bool IsNameStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(unsigned char c) { return IsNameStart(c) || IsDigit(c); }
bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    for (;;) {
      const bool spaced = SkipBlanks();
      Token token;
      token.line = line_;
      token.column = column_;
      token.space_before = spaced || tokens.empty();
      if (pos_ >= text_.size()) {
        token.kind = Token::Kind::End;
        tokens.push_back(std::move(token));
        return tokens;
      }
      ReadToken(token);
      tokens.push_back(std::move(token));
    }
  }

 private:
  unsigned char Peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? static_cast<unsigned char>(text_[pos_ + ahead]) : 0;
  }

  void Advance() {
    const unsigned char c = Peek();
    ++pos_;
    if (c == '\n') {
      ++line_;
      column_ = 1;
    } else if ((c & 0xC0) != 0x80) {  // count characters, not UTF-8 continuation bytes
      ++column_;
    }
  }

  bool SkipBlanks() {
    bool skipped = false;
    while (pos_ < text_.size() && IsBlank(Peek())) {
      Advance();
      skipped = true;
    }
    return skipped;
  }

  void ReadToken(Token& token) {
    const std::size_t start = pos_;
    const unsigned char c = Peek();
    if (IsNameStart(c)) {
      while (IsNameChar(Peek())) Advance();
      token.kind = Token::Kind::Identifier;
    } else if (IsDigit(c) || (c == '.' && IsDigit(Peek(1)))) {
      ReadNumber();
      token.kind = Token::Kind::Number;
    } else if (c == '\'' || c == '"') {
      token.kind = c == '\'' ? Token::Kind::String : Token::Kind::Quoted;
      token.text = ReadQuoted(token);
      return;
    } else {
      token.kind = Token::Kind::Symbol;
      ReadSymbol(token);
    }
    token.text = std::string(text_.substr(start, pos_ - start));
  }

  void ReadNumber() {
    while (IsDigit(Peek())) Advance();
    if (Peek() == '.') {
      Advance();
      while (IsDigit(Peek())) Advance();
    }
    if ((Peek() == 'e' || Peek() == 'E') &&
        (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
      Advance();
      if (Peek() == '+' || Peek() == '-') Advance();
      while (IsDigit(Peek())) Advance();
    }
  }

  // A doubled quote inside the literal stands for one quote.
  std::string ReadQuoted(Token& token) {
    const char quote = static_cast<char>(Peek());
    Advance();
    std::string content;
    for (;;) {
      if (pos_ >= text_.size()) {
        RefuseAt(EngineError::Kind::Syntax, token, "从这里开始的引号没有配对的结束引号");
      }
      const char c = static_cast<char>(Peek());
      Advance();
      if (c == quote) {
        if (static_cast<char>(Peek()) != quote) return content;
        Advance();
      }
      content += c;
    }
  }

  void ReadSymbol(Token& token) {
    static constexpr std::string_view kTwoChar[] = {"<>", "!=", "<=", ">=", "||"};
    const std::string_view rest = text_.substr(pos_);
    for (std::string_view op : kTwoChar) {
      if (rest.substr(0, 2) == op) {
        Advance();
        Advance();
        return;
      }
    }
    static constexpr std::string_view kOneChar = "=<>+-*/,().\\;:";
    if (kOneChar.find(static_cast<char>(Peek())) == std::string_view::npos) {
      // Take the whole character so the message shows it readably.
      const std::size_t start = pos_;
      Advance();
      while (pos_ < text_.size() && (Peek() & 0xC0) == 0x80) Advance();
      token.text = std::string(text_.substr(start, pos_ - start));
      ThrowSyntaxError(token);
    }
    Advance();
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
  int column_ = 1;
};

// Bytes that are not UTF-8 (binary input) and control characters appear
// as \xNN, so that a message quoting them stays readable text.
std::string ShownText(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    const char32_t cp = text::NextCodePoint(text, pos);
    if (cp != text::kInvalidCodePoint && cp >= 0x20 && cp != 0x7F) {
      shown.append(text.substr(start, pos - start));
      continue;
    }
    for (std::size_t i = start; i < pos; ++i) {
      const auto byte = static_cast<unsigned char>(text[i]);
      shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    }
  }
  return shown;
}

}  // namespace

std::vector<Token> Tokenize(std::string_view statement) { return Lexer(statement).Run(); }

std::string StatementPosition(const Token& token) {
  return "第" + std::to_string(token.line) + "行第" + std::to_string(token.column) + "列";
}

void RefuseAt(EngineError::Kind kind, const Token& where, const std::string& why) {
  throw EngineError(kind, "SQL语句" + StatementPosition(where) + "：" + why,
                    {"", "", where.text, where.line, where.column, why});
}

void ThrowSyntaxError(const Token& token) {
  if (token.kind == Token::Kind::End) {
    throw EngineError(EngineError::Kind::Syntax, "SQL语句在" + StatementPosition(token) + "处意外结束",
                      {"", "", "", token.line, token.column});
  }
  std::string shown = ShownText(token.text);
  if (token.kind == Token::Kind::String) shown = "'" + shown + "'";
  if (token.kind == Token::Kind::Quoted) shown = "\"" + shown + "\"";
  throw EngineError(EngineError::Kind::Syntax, "SQL语句" + StatementPosition(token) + "“" + shown + "”附近有语法错误",
                    {"", "", shown, token.line, token.column});
}

}  // namespace veltra::sql
