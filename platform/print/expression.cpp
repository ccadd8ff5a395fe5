#include "platform/print/expression.h"

#include <charconv>
#include <vector>

#include "platform/text/ascii.h"
#include "platform/text/gbk.h"
#include "platform/types/error.h"

namespace veltra::print {

struct Expression::Node {
  enum class Kind { Literal, Field, Compare, If } kind = Kind::Literal;
  Value literal;
  FieldBinding field;
  std::string op;  // for Compare
  std::vector<std::unique_ptr<Node>> children;
};

namespace {

using Node = Expression::Node;

struct Token {
  enum class Kind { Name, String, Number, Symbol, End } kind = Kind::End;
  std::string text;
  std::size_t position = 0;
};

bool IsSymbolStart(char c) {
  return c == '(' || c == ')' || c == ',' || c == '.' || c == '=' || c == '<' || c == '>';
}
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class Parser {
 public:
  Parser(std::string_view text, const FieldLookup& lookup) : text_(text), lookup_(lookup) {
    Tokenize();
  }

  std::unique_ptr<Node> ParseWhole() {
    auto root = ParseComparison();
    if (Peek().kind != Token::Kind::End) Fail("的“" + Peek().text + "”多余");
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& what, std::size_t position) const {
    ErrorSubject subject;
    subject.value = std::string(text_);
    subject.reason = "报表表达式“" + subject.value + "”第" + std::to_string(position + 1) + "个字符处" + what;
    throw EngineError(EngineError::Kind::Syntax, subject.reason, subject);
  }
  [[noreturn]] void Fail(const std::string& what) const { Fail(what, Peek().position); }

  void Tokenize() {
    std::size_t i = 0;
    while (i < text_.size()) {
      const char c = text_[i];
      if (IsSpace(c)) {
        ++i;
      } else if (c == '\'') {
        Token token{Token::Kind::String, "", i};
        for (++i;; ++i) {
          if (i >= text_.size()) Fail("开始的引号没有结束的引号", token.position);
          if (text_[i] == '\'') {
            if (i + 1 < text_.size() && text_[i + 1] == '\'') {
              token.text += '\'';
              ++i;
            } else {
              break;
            }
          } else {
            token.text += text_[i];
          }
        }
        ++i;
        tokens_.push_back(std::move(token));
      } else if (IsDigit(c)) {
        const std::size_t start = i;
        while (i < text_.size() && (IsDigit(text_[i]) || text_[i] == '.')) ++i;
        tokens_.push_back({Token::Kind::Number, std::string(text_.substr(start, i - start)), start});
      } else if (IsSymbolStart(c)) {
        std::string symbol(1, c);
        if (i + 1 < text_.size() && (c == '<' || c == '>')) {
          const char next = text_[i + 1];
          if (next == '=' || (c == '<' && next == '>')) symbol += next;
        }
        tokens_.push_back({Token::Kind::Symbol, symbol, i});
        i += symbol.size();
      } else {
        // Names run to the next space or symbol, so Chinese field names pass.
        const std::size_t start = i;
        while (i < text_.size() && !IsSpace(text_[i]) && !IsSymbolStart(text_[i]) &&
               text_[i] != '\'')
          ++i;
        tokens_.push_back({Token::Kind::Name, std::string(text_.substr(start, i - start)), start});
      }
    }
    tokens_.push_back({Token::Kind::End, "end", text_.size()});
  }

  const Token& Peek() const { return tokens_[next_]; }
  Token Take() { return tokens_[next_++]; }
  bool TakeSymbol(std::string_view symbol) {
    if (Peek().kind != Token::Kind::Symbol || Peek().text != symbol) return false;
    ++next_;
    return true;
  }
  void Expect(std::string_view symbol) {
    if (!TakeSymbol(symbol)) Fail("缺少“" + std::string(symbol) + "”");
  }

  std::unique_ptr<Node> ParseComparison() {
    auto left = ParsePrimary();
    static constexpr std::string_view kOperators[] = {"=", "<>", "<", ">", "<=", ">="};
    for (std::string_view op : kOperators) {
      if (TakeSymbol(op)) {
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Compare;
        node->op = op;
        node->children.push_back(std::move(left));
        node->children.push_back(ParsePrimary());
        return node;
      }
    }
    return left;
  }

  std::unique_ptr<Node> ParsePrimary() {
    const Token token = Take();
    auto node = std::make_unique<Node>();
    switch (token.kind) {
      case Token::Kind::String:
        node->literal = Value::Text(token.text);
        return node;
      case Token::Kind::Number: {
        double number = 0;
        const auto [end, error] =
            std::from_chars(token.text.data(), token.text.data() + token.text.size(), number);
        if (error != std::errc() || end != token.text.data() + token.text.size())
          Fail("的数值“" + token.text + "”无法识别", token.position);
        node->literal = Value::Float(number);
        return node;
      }
      case Token::Kind::Name:
        if (text::EqualsIgnoreAsciiCase(token.text, "IF") && TakeSymbol("(")) return ParseIf();
        return ParseField(token);
      case Token::Kind::Symbol:
        if (token.text == "(") {
          auto inner = ParseComparison();
          Expect(")");
          return inner;
        }
        break;
      case Token::Kind::End:
        break;
    }
    Fail(token.kind == Token::Kind::End ? std::string("表达式不完整") : "的“" + token.text + "”不应出现",
         token.position);
  }

  std::unique_ptr<Node> ParseIf() {
    auto node = std::make_unique<Node>();
    node->kind = Node::Kind::If;
    node->children.push_back(ParseComparison());
    Expect(",");
    node->children.push_back(ParseComparison());
    Expect(",");
    node->children.push_back(ParseComparison());
    Expect(")");
    return node;
  }

  std::unique_ptr<Node> ParseField(const Token& first) {
    std::string data_set, field = first.text;
    if (TakeSymbol(".")) {
      if (Peek().kind != Token::Kind::Name) Fail("缺少字段名");
      data_set = field;
      field = Take().text;
    }
    auto node = std::make_unique<Node>();
    node->kind = Node::Kind::Field;
    node->field = lookup_(data_set, field);
    return node;
  }

  std::string_view text_;
  const FieldLookup& lookup_;
  std::vector<Token> tokens_;
  std::size_t next_ = 0;
};

bool Compare(const std::string& op, const Value& left, const Value& right) {
  int order;
  if (left.is_number() && right.is_number()) {
    const double a = left.AsDouble(), b = right.AsDouble();
    order = a < b ? -1 : (a > b ? 1 : 0);
  } else {
    order = text::CompareGbk(left.ToDisplayText(), right.ToDisplayText());
  }
  if (op == "=") return order == 0;
  if (op == "<>") return order != 0;
  if (op == "<") return order < 0;
  if (op == ">") return order > 0;
  if (op == "<=") return order <= 0;
  return order >= 0;
}

Value EvaluateNode(const Node& node) {
  switch (node.kind) {
    case Node::Kind::Literal:
      return node.literal;
    case Node::Kind::Field:
      // A lookup table without rows reads as null rather than failing.
      if (node.field.source->RecordCount() == 0) return Value();
      return node.field.source->FieldValue(node.field.field);
    case Node::Kind::Compare:
      return Value::Boolean(Compare(node.op, EvaluateNode(*node.children[0]),
                                    EvaluateNode(*node.children[1])));
    case Node::Kind::If: {
      const Value condition = EvaluateNode(*node.children[0]);
      const bool holds = condition.kind() == Value::Kind::Boolean && condition.boolean();
      return EvaluateNode(*node.children[holds ? 1 : 2]);
    }
  }
  return Value();
}

}  // namespace

Expression::Expression(std::unique_ptr<Node> root) : root_(std::move(root)) {}
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;
Expression::~Expression() = default;

Expression Expression::Compile(std::string_view text, const FieldLookup& lookup) {
  return Expression(Parser(text, lookup).ParseWhole());
}

Value Expression::Evaluate() const { return EvaluateNode(*root_); }

}  // namespace veltra::print
