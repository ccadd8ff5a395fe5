#pragma once
// A band whose data texts and expressions are bound to their data sets,
// ready to be drawn for the current records.
#include <QPoint>

#include <memory>
#include <vector>

#include "platform/print/band.h"
#include "platform/print/expression.h"
#include "platform/print/page_canvas.h"

namespace veltra::print {

struct PageNumbers {
  int page = 1;
  int pages = 1;
};

class CompiledBand {
 public:
  // Throws the lookup's EngineError for a field that is not there.
  CompiledBand(const Band& band, const FieldLookup& lookup);

  int height() const { return band_.height; }
  bool present() const { return band_.present(); }
  // Draws the band with its top-left corner at `origin`.
  void Draw(PageCanvas& canvas, QPoint origin, PageNumbers numbers) const;

 private:
  const Band& band_;
  // Per item of the band: the bound field or expression, when it has one.
  std::vector<FieldBinding> fields_;
  std::vector<std::unique_ptr<Expression>> expressions_;
};

}  // namespace veltra::print
