// Typed SQL must give a result or an EngineError, never a crash: every
// input runs as a statement over small tables and as a record condition.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/sql/condition.h"
#include "platform/sql/engine.h"
#include "tests/platform/sql/memory_catalog.h"

using namespace veltra;
using namespace veltra::sql;
using namespace veltra::sql::testing;

namespace {

MemoryCatalog MakeCatalog() {
  MemoryCatalog catalog;
  catalog.Add("kfq_1.db", {Text("QA01", 6), Text("QB03", 4), Number("QC05"), {"QA12", FieldType::Date, 0}},
              {{T("110001"), T("0610"), F(5), Value::FromDate(Date{734000})},
               {T("110002"), N, F(-1), N},
               {T("错误"), T("abc"), N, N}});
  catalog.Add("kfq_2.db", {Text("QA01", 6), Number("QE14"), {"n", FieldType::SmallInt, 0}},
              {{T("110001"), F(1), I(2)}, {N, F(2), I(3)}});
  return catalog;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  MemoryCatalog catalog = MakeCatalog();
  try {
    RunStatement(text, catalog);
  } catch (const EngineError&) {
  }
  try {
    const auto condition = CompileCondition(text, catalog.Get("kfq_1.db").fields());
    for (const Row& row : catalog.Get("kfq_1.db").rows()) condition->Evaluate(row);
  } catch (const EngineError&) {
  }
  return 0;
}
