#pragma once
// The expressions of report layouts: a field reference, qualified by its
// data set or not ("Table2.Text", "YY"), string and number literals, the
// comparisons = <> < > <= >=, and IF(condition, then, else), as in
// "IF(Table1.YY = '1', '√', '')". Field references are bound when the
// expression is compiled, so a wrong name fails before anything prints.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/print/record_source.h"
#include "platform/types/value.h"

namespace veltra::print {

struct FieldBinding {
  RecordSource* source = nullptr;
  int field = -1;
};

// Finds a field by data set name (empty when unqualified) and field name;
// throws EngineError (NoSuchTable / NoSuchField) naming what is missing.
using FieldLookup = std::function<FieldBinding(std::string_view data_set, std::string_view field)>;

class Expression {
 public:
  // Throws EngineError (Syntax) quoting the expression and the position of
  // the fault, or the lookup's error for an unknown field.
  static Expression Compile(std::string_view text, const FieldLookup& lookup);

  Expression(Expression&&) noexcept;
  Expression& operator=(Expression&&) noexcept;
  ~Expression();

  // The value for the current records of the bound data sets; a comparison
  // gives a boolean.
  Value Evaluate() const;

  struct Node;

 private:
  explicit Expression(std::unique_ptr<Node> root);
  std::unique_ptr<Node> root_;
};

}  // namespace veltra::print
