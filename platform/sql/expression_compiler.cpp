#include "platform/sql/expression_compiler.h"

#include <memory>

#include "platform/sql/value_ops.h"
#include "platform/types/error.h"

namespace veltra::sql {
namespace {

Truth Not(Truth t) {
  return t == Truth::Unknown ? t : (t == Truth::True ? Truth::False : Truth::True);
}

Truth FromBool(bool b) { return b ? Truth::True : Truth::False; }

Truth Compare(CompareOp op, const Value& a, const Value& b) {
  if (a.is_number() && b.is_number()) {
    const double x = a.AsDouble();
    const double y = b.AsDouble();
    return FromBool(CompareResult(op, x < y ? -1 : (y < x ? 1 : 0)));
  }
  const std::optional<int> comparison = CompareValues(a, b);
  return comparison ? FromBool(CompareResult(op, *comparison)) : Truth::Unknown;
}

Truth ValueToTruth(const Value& value) {
  if (value.is_null()) return Truth::Unknown;
  if (value.kind() != Value::Kind::Boolean) {
    ErrorSubject subject;
    subject.value = value.ToDisplayText();
    subject.reason = "条件的结果须为真或假，不能是“" + subject.value + "”";
    throw EngineError(EngineError::Kind::TypeMismatch, subject.reason, subject);
  }
  return FromBool(value.boolean());
}

TruthProgram CompileCompare(const BoundExpr& expr) {
  const CompareOp op = expr.compare;
  const BoundExpr& left = expr.children[0];
  const BoundExpr& right = expr.children[1];
  if (left.kind == BoundExpr::Kind::Column && right.kind == BoundExpr::Kind::Constant &&
      right.constant.is_number()) {
    const int table = left.table;
    const std::size_t column = static_cast<std::size_t>(left.column);
    const Value constant = right.constant;
    const double number = constant.AsDouble();
    return [=](RowSet rows) {
      const Value& value = (*rows[table])[column];
      if (value.is_number()) {
        const double x = value.AsDouble();
        return FromBool(CompareResult(op, x < number ? -1 : (number < x ? 1 : 0)));
      }
      return Compare(op, value, constant);
    };
  }
  return [op, a = ValueOperand(left), b = ValueOperand(right)](RowSet rows) {
    Value sa, sb;
    return Compare(op, a.Get(rows, sa), b.Get(rows, sb));
  };
}

TruthProgram CompileLike(const BoundExpr& expr) {
  const bool negated = expr.negated;
  ValueOperand subject(expr.children[0]);
  const BoundExpr& pattern = expr.children[1];
  auto match = [negated](const Value& value, const LikePattern& like) {
    return FromBool(like.Matches(value.ToDisplayText()) != negated);
  };
  if (pattern.kind == BoundExpr::Kind::Constant) {
    if (pattern.constant.is_null()) return TruthProgram([](RowSet) { return Truth::Unknown; });
    auto like = std::make_shared<LikePattern>(pattern.constant.ToDisplayText());
    return TruthProgram([=](RowSet rows) {
      Value scratch;
      const Value& value = subject.Get(rows, scratch);
      return value.is_null() ? Truth::Unknown : match(value, *like);
    });
  }
  return [=, pattern_operand = ValueOperand(pattern)](RowSet rows) {
    Value sa, sb;
    const Value& value = subject.Get(rows, sa);
    const Value& text = pattern_operand.Get(rows, sb);
    if (value.is_null() || text.is_null()) return Truth::Unknown;
    return match(value, LikePattern(text.ToDisplayText()));
  };
}

// x IN (a, b, ...): true when one equals, unknown when none does but a
// null took part, else false.
TruthProgram CompileInList(const BoundExpr& expr) {
  std::vector<ValueOperand> operands;
  for (const BoundExpr& child : expr.children) operands.emplace_back(child);
  const bool negated = expr.negated;
  return [operands = std::move(operands), negated](RowSet rows) {
    Value scratch;
    const Value& subject = operands[0].Get(rows, scratch);
    Truth result = Truth::False;
    for (std::size_t i = 1; i < operands.size() && result != Truth::True; ++i) {
      Value item_scratch;
      const Truth equal = Compare(CompareOp::Equal, subject, operands[i].Get(rows, item_scratch));
      if (equal != Truth::False) result = equal;
    }
    return negated ? Not(result) : result;
  };
}

TruthProgram CompileBetween(const BoundExpr& expr) {
  return [a = ValueOperand(expr.children[0]), low = ValueOperand(expr.children[1]),
          high = ValueOperand(expr.children[2]), negated = expr.negated](RowSet rows) {
    Value sa, sl, sh;
    const Value& subject = a.Get(rows, sa);
    const Truth above = Compare(CompareOp::GreaterEqual, subject, low.Get(rows, sl));
    const Truth below = Compare(CompareOp::LessEqual, subject, high.Get(rows, sh));
    Truth result = Truth::True;
    if (above == Truth::False || below == Truth::False) {
      result = Truth::False;
    } else if (above == Truth::Unknown || below == Truth::Unknown) {
      result = Truth::Unknown;
    }
    return negated ? Not(result) : result;
  };
}

ValueProgram CompileFunction(const BoundExpr& expr) {
  ValueOperand argument(expr.children[0]);
  switch (expr.function) {
    case ScalarFunction::Substring: {
      ValueOperand start(expr.children[1]);
      if (expr.children.size() < 3) {
        return [=](RowSet rows) {
          Value sa, sb;
          return Substring(argument.Get(rows, sa), start.Get(rows, sb), std::nullopt);
        };
      }
      ValueOperand length(expr.children[2]);
      return [=](RowSet rows) {
        Value sa, sb, sc;
        return Substring(argument.Get(rows, sa), start.Get(rows, sb), length.Get(rows, sc));
      };
    }
    case ScalarFunction::Upper:
    case ScalarFunction::Lower:
    case ScalarFunction::Trim: {
      Value (*apply)(const Value&) = expr.function == ScalarFunction::Upper   ? UpperAscii
                                     : expr.function == ScalarFunction::Lower ? LowerAscii
                                                                              : TrimBlanks;
      return [=](RowSet rows) {
        Value scratch;
        return apply(argument.Get(rows, scratch));
      };
    }
  }
  return nullptr;
}

// AND (dominant false) and OR (dominant true): the dominant value of
// either side decides; otherwise unknown wins over the other value.
TruthProgram CompileConnective(const BoundExpr& expr, Truth dominant) {
  return [a = CompileTruth(expr.children[0]), b = CompileTruth(expr.children[1]), dominant](RowSet rows) {
    const Truth left = a(rows);
    if (left == dominant) return left;
    const Truth right = b(rows);
    if (right == dominant) return right;
    return left == Truth::Unknown || right == Truth::Unknown ? Truth::Unknown : Not(dominant);
  };
}

}  // namespace

ValueOperand::ValueOperand(const BoundExpr& expr) {
  if (expr.kind == BoundExpr::Kind::Column) {
    table_ = expr.table;
    column_ = static_cast<std::size_t>(expr.column);
  } else if (expr.kind == BoundExpr::Kind::Constant) {
    constant_ = expr.constant;
  } else {
    program_ = CompileValue(expr);
  }
}

TruthProgram CompileTruth(const BoundExpr& expr) {
  switch (expr.kind) {
    case BoundExpr::Kind::Compare: return CompileCompare(expr);
    case BoundExpr::Kind::And: return CompileConnective(expr, Truth::False);
    case BoundExpr::Kind::Or: return CompileConnective(expr, Truth::True);
    case BoundExpr::Kind::Not:
      return [a = CompileTruth(expr.children[0])](RowSet rows) { return Not(a(rows)); };
    case BoundExpr::Kind::IsNull:
      return [a = ValueOperand(expr.children[0]), negated = expr.negated](RowSet rows) {
        Value scratch;
        return FromBool(a.Get(rows, scratch).is_null() != negated);
      };
    case BoundExpr::Kind::Like: return CompileLike(expr);
    case BoundExpr::Kind::InList: return CompileInList(expr);
    case BoundExpr::Kind::Between: return CompileBetween(expr);
    default:
      return [a = ValueOperand(expr)](RowSet rows) {
        Value scratch;
        return ValueToTruth(a.Get(rows, scratch));
      };
  }
}

ValueProgram CompileValue(const BoundExpr& expr) {
  switch (expr.kind) {
    case BoundExpr::Kind::Constant:
      return [value = expr.constant](RowSet) { return value; };
    case BoundExpr::Kind::Column:
      return [table = expr.table, column = static_cast<std::size_t>(expr.column)](RowSet rows) {
        return (*rows[table])[column];
      };
    case BoundExpr::Kind::Negate:
      return [a = ValueOperand(expr.children[0])](RowSet rows) {
        Value scratch;
        const Value& value = a.Get(rows, scratch);
        return value.is_null() ? Value() : Value::Float(-ToNumber(value));
      };
    case BoundExpr::Kind::Arithmetic:
      return [op = expr.arithmetic, a = ValueOperand(expr.children[0]),
              b = ValueOperand(expr.children[1])](RowSet rows) {
        Value sa, sb;
        return Arithmetic(op, a.Get(rows, sa), b.Get(rows, sb));
      };
    case BoundExpr::Kind::Concat:
      return [a = ValueOperand(expr.children[0]), b = ValueOperand(expr.children[1])](RowSet rows) {
        Value sa, sb;
        return Concat(a.Get(rows, sa), b.Get(rows, sb));
      };
    case BoundExpr::Kind::Function: return CompileFunction(expr);
    case BoundExpr::Kind::Cast:
      return [a = ValueOperand(expr.children[0]), type = expr.type](RowSet rows) {
        Value scratch;
        return ConvertValue(a.Get(rows, scratch), type.type, type.size, {});
      };
    default:
      return [condition = CompileTruth(expr)](RowSet rows) {
        const Truth truth = condition(rows);
        return truth == Truth::Unknown ? Value() : Value::Boolean(truth == Truth::True);
      };
  }
}

}  // namespace veltra::sql
