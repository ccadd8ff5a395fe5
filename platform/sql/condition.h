#pragma once
// A record condition in the SQL expression syntax ("QC05>=0 and QC05<=1e9",
// "qa01='110001'"), compiled once against a row layout and evaluated per
// record. Record constraints and data-set filters use it.
#include <memory>
#include <string_view>

#include "platform/sql/catalog.h"

namespace veltra::sql {

enum class Truth { False, True, Unknown };

class CompiledCondition {
 public:
  virtual ~CompiledCondition() = default;
  virtual Truth Evaluate(const Row& row) const = 0;
};

// Throws EngineError (Syntax with the position, NoSuchField naming the
// field, Unsupported) for a condition that cannot be compiled.
std::unique_ptr<CompiledCondition> CompileCondition(std::string_view condition,
                                                    const FieldDefs& layout);

}  // namespace veltra::sql
