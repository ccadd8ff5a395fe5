#include "platform/sql/condition.h"

#include "platform/sql/binder.h"
#include "platform/sql/expression_compiler.h"
#include "platform/sql/parser.h"

namespace veltra::sql {
namespace {

class ProgramCondition : public CompiledCondition {
 public:
  explicit ProgramCondition(TruthProgram program) : program_(std::move(program)) {}
  Truth Evaluate(const Row& row) const override {
    const Row* rows[] = {&row};
    return program_(rows);
  }

 private:
  TruthProgram program_;
};

}  // namespace

std::unique_ptr<CompiledCondition> CompileCondition(std::string_view condition,
                                                    const FieldDefs& layout) {
  const ExprPtr parsed = ParseCondition(condition);
  const Binder binder({ScopeTable{"the record", "", &layout}});
  return std::make_unique<ProgramCondition>(
      CompileTruth(binder.BindSource(*parsed, "记录的校验条件")));
}

}  // namespace veltra::sql
