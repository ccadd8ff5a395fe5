#include "platform/sql/parser.h"

#include <array>
#include <charconv>

#include "platform/text/ascii.h"
#include "platform/types/error.h"

namespace veltra::sql {
namespace {

using text::EqualsIgnoreAsciiCase;
using text::ToAsciiUpper;

// Words that end an expression or a table reference, so they never serve
// as aliases.
constexpr std::array kReserved = {
    "select", "distinct", "all",   "from",   "where", "group",  "by",     "having", "order",
    "asc",    "desc",     "left",  "right",  "full",  "inner",  "outer",  "cross",  "join",
    "on",     "and",      "or",    "not",    "is",    "null",   "like",   "in",     "between",
    "as",     "insert",   "into",  "values", "update", "set",   "delete", "union",  "escape",
    "for",    "natural",  "using", "limit",
};

bool IsReserved(std::string_view word) {
  for (std::string_view reserved : kReserved) {
    if (EqualsIgnoreAsciiCase(word, reserved)) return true;
  }
  return false;
}

[[noreturn]] void ThrowUnsupported(const Token& token, std::string_view what) {
  throw EngineError(EngineError::Kind::Unsupported,
                    std::string(what) + " is not supported (line " + std::to_string(token.line) +
                        ", column " + std::to_string(token.column) + ")",
                    {"", "", token.text, token.line, token.column});
}

[[noreturn]] void ThrowTooDeep(const Token& where, int limit) {
  RefuseAt(EngineError::Kind::Unsupported, where, "表达式嵌套超过了" + std::to_string(limit) + "层的上限");
}

class DepthGuard {
 public:
  DepthGuard(int& depth, int limit, const Token& where) : depth_(depth) {
    if (++depth_ > limit) {
      --depth_;
      ThrowTooDeep(where, limit);
    }
  }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

// Counts the operands of a left-leaning chain (a or b or c ...).
class ChainGuard {
 public:
  ChainGuard(int& depth, int limit) : depth_(depth), limit_(limit) {}
  ~ChainGuard() { depth_ -= added_; }
  ChainGuard(const ChainGuard&) = delete;
  ChainGuard& operator=(const ChainGuard&) = delete;
  void Deepen(const Token& where) {
    ++added_;
    if (++depth_ > limit_) ThrowTooDeep(where, limit_);
  }

 private:
  int& depth_;
  int limit_;
  int added_ = 0;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : tokens_(Tokenize(text)) {}

  Statement ParseStatement() {
    Statement statement;
    if (IsWord("select")) {
      statement.kind = Statement::Kind::Select;
      statement.select = ParseSelect();
    } else if (IsWord("insert")) {
      statement.kind = Statement::Kind::Insert;
      statement.insert = ParseInsert();
    } else if (IsWord("update")) {
      statement.kind = Statement::Kind::Update;
      statement.update = ParseUpdate();
    } else if (IsWord("delete")) {
      statement.kind = Statement::Kind::Delete;
      statement.remove = ParseDelete();
    } else if (IsAnyWord({"create", "drop", "alter"})) {
      ThrowUnsupported(Current(), "data definition (" + Current().text + ")");
    } else {
      ThrowSyntaxError(Current());
    }
    FinishStatement();
    return statement;
  }

  ExprPtr ParseLoneCondition() {
    ExprPtr condition = ParseExpression();
    FinishStatement();
    return condition;
  }

 private:
  // --- token access --------------------------------------------------------

  const Token& Current() const { return tokens_[pos_]; }
  const Token& Ahead(std::size_t n) const {
    return tokens_[std::min(pos_ + n, tokens_.size() - 1)];
  }
  Token Take() {
    Token token = tokens_[pos_];
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return token;
  }
  bool AtEnd() const { return Current().kind == Token::Kind::End; }

  bool IsWord(std::string_view word, std::size_t ahead = 0) const {
    const Token& token = Ahead(ahead);
    return token.kind == Token::Kind::Identifier && EqualsIgnoreAsciiCase(token.text, word);
  }
  bool IsAnyWord(std::initializer_list<std::string_view> words) const {
    for (std::string_view word : words) {
      if (IsWord(word)) return true;
    }
    return false;
  }
  bool IsSymbol(std::string_view symbol, std::size_t ahead = 0) const {
    const Token& token = Ahead(ahead);
    return token.kind == Token::Kind::Symbol && token.text == symbol;
  }
  bool AcceptWord(std::string_view word) {
    if (!IsWord(word)) return false;
    Take();
    return true;
  }
  bool AcceptSymbol(std::string_view symbol) {
    if (!IsSymbol(symbol)) return false;
    Take();
    return true;
  }
  void ExpectWord(std::string_view word) {
    if (!AcceptWord(word)) ThrowSyntaxError(Current());
  }
  void ExpectSymbol(std::string_view symbol) {
    if (!AcceptSymbol(symbol)) ThrowSyntaxError(Current());
  }
  Token ExpectName() {
    if (Current().kind != Token::Kind::Identifier || IsReserved(Current().text)) {
      ThrowSyntaxError(Current());
    }
    return Take();
  }

  void FinishStatement() {
    AcceptSymbol(";");
    if (!AtEnd()) ThrowSyntaxError(Current());
  }

  // --- statements ----------------------------------------------------------

  std::unique_ptr<SelectStatement> ParseSelect() {
    auto select = std::make_unique<SelectStatement>();
    ExpectWord("select");
    if (AcceptWord("distinct")) {
      select->distinct = true;
    } else {
      AcceptWord("all");
    }
    do {
      select->items.push_back(ParseSelectItem());
    } while (AcceptSymbol(","));
    ExpectWord("from");
    ParseFromList(select->from);
    if (AcceptWord("where")) select->where = ParseExpression();
    if (AcceptWord("group")) {
      ExpectWord("by");
      do {
        select->group_by.push_back(ParseExpression());
      } while (AcceptSymbol(","));
    }
    if (AcceptWord("having")) select->having = ParseExpression();
    if (AcceptWord("order")) {
      ExpectWord("by");
      do {
        OrderItem item;
        item.expr = ParseExpression();
        if (AcceptWord("desc")) {
          item.descending = true;
        } else {
          AcceptWord("asc");
        }
        select->order_by.push_back(std::move(item));
      } while (AcceptSymbol(","));
    }
    if (IsWord("union")) ThrowUnsupported(Current(), "UNION");
    return select;
  }

  SelectItem ParseSelectItem() {
    SelectItem item;
    item.where = Current();
    if (AcceptSymbol("*")) {
      item.kind = SelectItem::Kind::Star;
      return item;
    }
    if (Current().kind == Token::Kind::Identifier && IsSymbol(".", 1) && IsSymbol("*", 2)) {
      item.kind = SelectItem::Kind::TableStar;
      item.qualifier = Take().text;
      Take();
      Take();
      return item;
    }
    item.expr = ParseExpression();
    item.alias = ParseAlias(/*quoted_allowed=*/true);
    return item;
  }

  // [AS] alias; an alias without AS is any non-reserved name.
  std::string ParseAlias(bool quoted_allowed) {
    if (AcceptWord("as")) {
      if (quoted_allowed &&
          (Current().kind == Token::Kind::Quoted || Current().kind == Token::Kind::String)) {
        return Take().text;
      }
      return ExpectName().text;
    }
    if (Current().kind == Token::Kind::Identifier && !IsReserved(Current().text)) {
      return Take().text;
    }
    return {};
  }

  void ParseFromList(std::vector<JoinedTable>& from) {
    JoinedTable first;
    first.table = ParseTableRef();
    from.push_back(std::move(first));
    for (;;) {
      JoinedTable next;
      if (AcceptSymbol(",")) {
        next.kind = JoinedTable::Kind::Cross;
        next.table = ParseTableRef();
        from.push_back(std::move(next));
        continue;
      }
      if (IsAnyWord({"right", "full", "natural"})) ThrowUnsupported(Current(), Current().text + " JOIN");
      if (AcceptWord("cross")) {
        ExpectWord("join");
        next.kind = JoinedTable::Kind::Cross;
        next.table = ParseTableRef();
        from.push_back(std::move(next));
        continue;
      }
      if (AcceptWord("left")) {
        AcceptWord("outer");
        next.kind = JoinedTable::Kind::Left;
      } else if (AcceptWord("inner")) {
        next.kind = JoinedTable::Kind::Inner;
      } else if (IsWord("join")) {
        next.kind = JoinedTable::Kind::Inner;
      } else {
        return;
      }
      ExpectWord("join");
      next.table = ParseTableRef();
      if (IsWord("using")) ThrowUnsupported(Current(), "JOIN ... USING");
      ExpectWord("on");
      next.on = ParseExpression();
      from.push_back(std::move(next));
    }
  }

  // A table as written: "kfq_1.db", sendname.db, tmp\kfq_1.db, c:\data\x.
  TableRef ParseTableRef() {
    TableRef ref = ParseTableName();
    ref.alias = ParseAlias(/*quoted_allowed=*/false);
    return ref;
  }

  TableRef ParseTableName() {
    TableRef ref;
    ref.where = Current();
    if (Current().kind == Token::Kind::Quoted) {
      ref.name = Take().text;
    } else if (IsSymbol("(")) {
      ThrowUnsupported(Current(), "a subquery in FROM");
    } else {
      ref.name = ParseBareTableName();
    }
    if (ref.name.empty()) ThrowSyntaxError(ref.where);
    return ref;
  }

  // Adjacent name pieces without blanks between them form one file name.
  std::string ParseBareTableName() {
    auto is_piece = [this](const Token& token) {
      switch (token.kind) {
        case Token::Kind::Identifier:
        case Token::Kind::Number:
          return true;
        case Token::Kind::Symbol:
          return token.text == "." || token.text == "\\" || token.text == ":" || token.text == "/";
        default:
          return false;
      }
    };
    if (Current().kind != Token::Kind::Identifier && !IsSymbol("\\") && !IsSymbol(".")) {
      ThrowSyntaxError(Current());
    }
    if (Current().kind == Token::Kind::Identifier && IsReserved(Current().text)) {
      ThrowSyntaxError(Current());
    }
    std::string name = Take().text;
    while (!Current().space_before && is_piece(Current())) name += Take().text;
    return name;
  }

  std::unique_ptr<InsertStatement> ParseInsert() {
    auto insert = std::make_unique<InsertStatement>();
    ExpectWord("insert");
    ExpectWord("into");
    insert->table = ParseTableName();
    if (AcceptSymbol("(")) {
      do {
        insert->column_tokens.push_back(Current());
        insert->columns.push_back(ExpectName().text);
      } while (AcceptSymbol(","));
      ExpectSymbol(")");
    }
    if (AcceptWord("values")) {
      do {
        ExpectSymbol("(");
        std::vector<ExprPtr> row;
        do {
          row.push_back(ParseExpression());
        } while (AcceptSymbol(","));
        ExpectSymbol(")");
        insert->values.push_back(std::move(row));
      } while (AcceptSymbol(","));
    } else if (IsWord("select")) {
      insert->select = ParseSelect();
    } else {
      ThrowSyntaxError(Current());
    }
    return insert;
  }

  std::unique_ptr<UpdateStatement> ParseUpdate() {
    auto update = std::make_unique<UpdateStatement>();
    ExpectWord("update");
    update->table = ParseTableRef();
    ExpectWord("set");
    do {
      Assignment assignment;
      assignment.where = Current();
      Token name = ExpectName();
      // A qualified target (b.qa01) names the updated table's own column.
      if (AcceptSymbol(".")) name = ExpectName();
      assignment.column = name.text;
      ExpectSymbol("=");
      assignment.value = ParseExpression();
      update->assignments.push_back(std::move(assignment));
    } while (AcceptSymbol(","));
    if (AcceptWord("where")) update->where = ParseExpression();
    return update;
  }

  std::unique_ptr<DeleteStatement> ParseDelete() {
    auto remove = std::make_unique<DeleteStatement>();
    ExpectWord("delete");
    ExpectWord("from");
    remove->table = ParseTableRef();
    if (AcceptWord("where")) remove->where = ParseExpression();
    return remove;
  }

  // --- expressions, lowest precedence first --------------------------------

  static ExprPtr MakeNode(Expr::Kind kind, const Token& where) {
    auto node = std::make_unique<Expr>();
    node->kind = kind;
    node->where = where;
    return node;
  }
  static ExprPtr MakeBinary(Expr::Kind kind, const Token& where, ExprPtr left, ExprPtr right) {
    ExprPtr node = MakeNode(kind, where);
    node->args.push_back(std::move(left));
    node->args.push_back(std::move(right));
    return node;
  }

  ExprPtr ParseExpression() {
    const DepthGuard nesting(nesting_, kMaxNesting, Current());
    const DepthGuard tree(tree_depth_, kMaxTreeDepth, Current());
    return ParseOr();
  }

  ExprPtr ParseOr() { return ParseConnectiveChain("or", Expr::Kind::Or, &Parser::ParseAnd); }
  ExprPtr ParseAnd() { return ParseConnectiveChain("and", Expr::Kind::And, &Parser::ParseNot); }

  ExprPtr ParseConnectiveChain(std::string_view word, Expr::Kind kind, ExprPtr (Parser::*operand)()) {
    ChainGuard chain(tree_depth_, kMaxTreeDepth);
    ExprPtr left = (this->*operand)();
    while (IsWord(word)) {
      chain.Deepen(Current());
      const Token where = Take();
      left = MakeBinary(kind, where, std::move(left), (this->*operand)());
    }
    return left;
  }

  ExprPtr ParseNot() {
    if (IsWord("not")) {
      const Token where = Take();
      const DepthGuard tree(tree_depth_, kMaxTreeDepth, where);
      ExprPtr node = MakeNode(Expr::Kind::Not, where);
      node->args.push_back(ParseNot());
      return node;
    }
    return ParsePredicate();
  }

  ExprPtr ParsePredicate() {
    ExprPtr left = ParseAdditive();
    const Token where = Current();
    if (Current().kind == Token::Kind::Symbol) {
      static constexpr std::pair<std::string_view, CompareOp> kOps[] = {
          {"=", CompareOp::Equal},     {"<>", CompareOp::NotEqual}, {"!=", CompareOp::NotEqual},
          {"<", CompareOp::Less},      {"<=", CompareOp::LessEqual}, {">", CompareOp::Greater},
          {">=", CompareOp::GreaterEqual},
      };
      for (const auto& [symbol, op] : kOps) {
        if (Current().text != symbol) continue;
        Take();
        if (IsAnyWord({"any", "all", "some"}) && IsSymbol("(", 1)) {
          ThrowUnsupported(Current(), "a quantified comparison");
        }
        ExprPtr node = MakeBinary(Expr::Kind::Compare, where, std::move(left), ParseAdditive());
        node->compare = op;
        return node;
      }
      return left;
    }
    if (AcceptWord("is")) {
      ExprPtr node = MakeNode(Expr::Kind::IsNull, where);
      node->negated = AcceptWord("not");
      ExpectWord("null");
      node->args.push_back(std::move(left));
      return node;
    }
    bool negated = false;
    if (IsWord("not") && (IsWord("like", 1) || IsWord("in", 1) || IsWord("between", 1))) {
      Take();
      negated = true;
    }
    if (AcceptWord("like")) {
      ExprPtr node = MakeBinary(Expr::Kind::Like, where, std::move(left), ParseAdditive());
      node->negated = negated;
      if (IsWord("escape")) ThrowUnsupported(Current(), "LIKE ... ESCAPE");
      return node;
    }
    if (AcceptWord("in")) {
      ExprPtr node = MakeNode(Expr::Kind::InList, where);
      node->negated = negated;
      node->args.push_back(std::move(left));
      ExpectSymbol("(");
      if (IsWord("select")) ThrowUnsupported(Current(), "a subquery");
      do {
        node->args.push_back(ParseAdditive());
      } while (AcceptSymbol(","));
      ExpectSymbol(")");
      return node;
    }
    if (AcceptWord("between")) {
      ExprPtr node = MakeNode(Expr::Kind::Between, where);
      node->negated = negated;
      node->args.push_back(std::move(left));
      node->args.push_back(ParseAdditive());
      ExpectWord("and");
      node->args.push_back(ParseAdditive());
      return node;
    }
    return left;
  }

  ExprPtr ParseAdditive() {
    ChainGuard chain(tree_depth_, kMaxTreeDepth);
    ExprPtr left = ParseMultiplicative();
    for (;; chain.Deepen(Current())) {
      const Token where = Current();
      if (AcceptSymbol("+")) {
        left = MakeArithmetic(ArithmeticOp::Add, where, std::move(left), ParseMultiplicative());
      } else if (AcceptSymbol("-")) {
        left = MakeArithmetic(ArithmeticOp::Subtract, where, std::move(left), ParseMultiplicative());
      } else if (AcceptSymbol("||")) {
        left = MakeBinary(Expr::Kind::Concat, where, std::move(left), ParseMultiplicative());
      } else {
        return left;
      }
    }
  }

  ExprPtr ParseMultiplicative() {
    ChainGuard chain(tree_depth_, kMaxTreeDepth);
    ExprPtr left = ParseUnary();
    for (;; chain.Deepen(Current())) {
      const Token where = Current();
      if (AcceptSymbol("*")) {
        left = MakeArithmetic(ArithmeticOp::Multiply, where, std::move(left), ParseUnary());
      } else if (AcceptSymbol("/")) {
        left = MakeArithmetic(ArithmeticOp::Divide, where, std::move(left), ParseUnary());
      } else {
        return left;
      }
    }
  }

  static ExprPtr MakeArithmetic(ArithmeticOp op, const Token& where, ExprPtr left, ExprPtr right) {
    ExprPtr node = MakeBinary(Expr::Kind::Arithmetic, where, std::move(left), std::move(right));
    node->arithmetic = op;
    return node;
  }

  ExprPtr ParseUnary() {
    const Token where = Current();
    if (AcceptSymbol("-")) {
      const DepthGuard tree(tree_depth_, kMaxTreeDepth, where);
      ExprPtr node = MakeNode(Expr::Kind::Negate, where);
      node->args.push_back(ParseUnary());
      return node;
    }
    if (AcceptSymbol("+")) return ParseUnary();
    return ParsePrimary();
  }

  ExprPtr ParsePrimary() {
    const Token where = Current();
    switch (where.kind) {
      case Token::Kind::Number: {
        Take();
        double number = 0;
        const auto result =
            std::from_chars(where.text.data(), where.text.data() + where.text.size(), number);
        if (result.ec != std::errc()) ThrowSyntaxError(where);
        ExprPtr node = MakeNode(Expr::Kind::Literal, where);
        node->literal = Value::Float(number);
        return node;
      }
      case Token::Kind::String:
      case Token::Kind::Quoted: {
        Take();
        ExprPtr node = MakeNode(Expr::Kind::Literal, where);
        node->literal = Value::Text(where.text);
        return node;
      }
      case Token::Kind::Symbol:
        if (AcceptSymbol("(")) {
          if (IsWord("select")) ThrowUnsupported(Current(), "a subquery");
          ExprPtr inner = ParseExpression();
          ExpectSymbol(")");
          return inner;
        }
        ThrowSyntaxError(where);
      case Token::Kind::End:
        ThrowSyntaxError(where);
      case Token::Kind::Identifier:
        break;
    }
    if (AcceptWord("null")) return MakeNode(Expr::Kind::Literal, where);
    if (IsAnyWord({"case", "exists"})) ThrowUnsupported(where, ToAsciiUpper(where.text));
    if (IsSymbol("(", 1)) return ParseCall();
    const Token name = ExpectName();
    ExprPtr node = MakeNode(Expr::Kind::Column, where);
    if (AcceptSymbol(".")) {
      node->qualifier = name.text;
      node->name = ExpectName().text;
    } else {
      node->name = name.text;
    }
    return node;
  }

  ExprPtr ParseCall() {
    const Token name = Take();
    ExpectSymbol("(");
    static constexpr std::pair<std::string_view, AggregateKind> kAggregates[] = {
        {"count", AggregateKind::Count}, {"sum", AggregateKind::Sum}, {"avg", AggregateKind::Avg},
        {"min", AggregateKind::Min},     {"max", AggregateKind::Max},
    };
    for (const auto& [word, kind] : kAggregates) {
      if (!EqualsIgnoreAsciiCase(name.text, word)) continue;
      ExprPtr node = MakeNode(Expr::Kind::Aggregate, name);
      node->aggregate = kind;
      if (IsWord("distinct")) ThrowUnsupported(Current(), "DISTINCT inside an aggregate");
      AcceptWord("all");
      if (kind == AggregateKind::Count && AcceptSymbol("*")) {
        node->aggregate = AggregateKind::CountStar;
      } else {
        node->args.push_back(ParseExpression());
      }
      ExpectSymbol(")");
      return node;
    }
    if (EqualsIgnoreAsciiCase(name.text, "cast")) return ParseCastRest(name);
    if (EqualsIgnoreAsciiCase(name.text, "substring")) return ParseSubstringRest(name);
    if (EqualsIgnoreAsciiCase(name.text, "trim")) return ParseTrimRest(name);
    for (auto [word, function] : {std::pair{"upper", ScalarFunction::Upper},
                                  std::pair{"lower", ScalarFunction::Lower}}) {
      if (!EqualsIgnoreAsciiCase(name.text, word)) continue;
      ExprPtr node = MakeNode(Expr::Kind::Function, name);
      node->function = function;
      node->args.push_back(ParseExpression());
      ExpectSymbol(")");
      return node;
    }
    if (IsReserved(name.text)) ThrowSyntaxError(name);
    ThrowUnsupported(name, "the function " + name.text);
  }

  // SUBSTRING(x FROM n [FOR m]), also written SUBSTRING(x, n [, m]).
  ExprPtr ParseSubstringRest(const Token& name) {
    ExprPtr node = MakeNode(Expr::Kind::Function, name);
    node->function = ScalarFunction::Substring;
    node->args.push_back(ParseExpression());
    const bool keywords = AcceptWord("from");
    if (!keywords) ExpectSymbol(",");
    node->args.push_back(ParseExpression());
    if (keywords ? AcceptWord("for") : AcceptSymbol(",")) node->args.push_back(ParseExpression());
    ExpectSymbol(")");
    return node;
  }

  // TRIM(x) and TRIM(BOTH FROM x); only blanks are trimmed.
  ExprPtr ParseTrimRest(const Token& name) {
    ExprPtr node = MakeNode(Expr::Kind::Function, name);
    node->function = ScalarFunction::Trim;
    if (IsAnyWord({"leading", "trailing"})) ThrowUnsupported(Current(), "TRIM LEADING/TRAILING");
    if (AcceptWord("both")) ExpectWord("from");
    node->args.push_back(ParseExpression());
    if (IsWord("from")) ThrowUnsupported(Current(), "TRIM of a character other than blank");
    ExpectSymbol(")");
    return node;
  }

  ExprPtr ParseCastRest(const Token& name) {
    ExprPtr node = MakeNode(Expr::Kind::Cast, name);
    node->args.push_back(ParseExpression());
    ExpectWord("as");
    const Token type = ExpectName();
    node->cast = ParseCastType(type);
    ExpectSymbol(")");
    return node;
  }

  CastTarget ParseCastType(const Token& type) {
    auto is = [&type](std::string_view word) { return EqualsIgnoreAsciiCase(type.text, word); };
    if (is("char") || is("varchar") || is("character")) {
      AcceptWord("varying");
      CastTarget target{FieldType::String, 255};
      if (AcceptSymbol("(")) {
        const Token size = Take();
        int value = 0;
        const auto result =
            std::from_chars(size.text.data(), size.text.data() + size.text.size(), value);
        if (size.kind != Token::Kind::Number || result.ec != std::errc() ||
            result.ptr != size.text.data() + size.text.size() || value < 1 || value > 255) {
          ThrowSyntaxError(size);
        }
        target.size = value;
        ExpectSymbol(")");
      }
      return target;
    }
    if (is("integer") || is("int")) return {FieldType::Integer, 0};
    if (is("smallint")) return {FieldType::SmallInt, 0};
    if (is("float") || is("real") || is("double") || is("numeric") || is("decimal")) {
      if (is("double")) AcceptWord("precision");
      if (AcceptSymbol("(")) {  // precision and scale do not change a float
        do {
          const Token digits = Take();
          if (digits.kind != Token::Kind::Number) ThrowSyntaxError(digits);
        } while (AcceptSymbol(","));
        ExpectSymbol(")");
      }
      return {FieldType::Float, 0};
    }
    if (is("money")) return {FieldType::Money, 0};
    if (is("date")) return {FieldType::Date, 0};
    if (is("time")) return {FieldType::Time, 0};
    if (is("timestamp")) return {FieldType::DateTime, 0};
    if (is("boolean")) return {FieldType::Boolean, 0};
    ThrowUnsupported(type, "CAST to " + type.text);
  }

  // Binding, compiling and freeing walk the tree recursively, so its depth
  // is bounded: parentheses (many parser frames each) and, more loosely,
  // the whole tree including long AND/OR chains.
  static constexpr int kMaxNesting = 200;
  static constexpr int kMaxTreeDepth = 4000;
  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  int nesting_ = 0;
  int tree_depth_ = 0;
};

}  // namespace

Statement ParseStatement(std::string_view text) { return Parser(text).ParseStatement(); }

ExprPtr ParseCondition(std::string_view text) { return Parser(text).ParseLoneCondition(); }

}  // namespace veltra::sql
