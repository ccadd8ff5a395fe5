#include "platform/print/compiled_band.h"

#include <QStringList>

#include <algorithm>

#include "platform/print/display_mask.h"

namespace veltra::print {
namespace {

QString DisplayText(const Value& value, const std::string& mask) {
  if (value.is_number() && !mask.empty())
    return QString::fromStdString(FormatWithMask(value.AsDouble(), mask));
  return QString::fromStdString(value.ToDisplayText());
}

// The font `line` is printed in: the box's own, or for a box that shrinks
// to fit, a size at which the line is no wider than the box.
Font FittingFont(const TextBox& box, const QString& line) {
  Font font = box.font;
  if (!box.shrink_to_fit || box.width <= 0) return font;
  for (int width = MeasureText(font, line).width(); width > box.width && font.point_size > 1;
       width = MeasureText(font, line).width()) {
    font.point_size = std::max(1.0, font.point_size * box.width / width * 0.98);
  }
  return font;
}

void DrawText(PageCanvas& canvas, QPoint origin, const TextBox& box, const QString& text) {
  if (text.isEmpty()) return;
  int y = origin.y() + box.top;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    const int full_height = MeasureText(box.font, line).height();
    canvas.SetFont(FittingFont(box, line));
    const QSize extent = canvas.TextExtent(line);
    y += (full_height - extent.height()) / 2;  // a smaller line stays centred on its place
    int x = origin.x() + box.left;
    if (box.width > 0 && box.alignment == Alignment::Center) x += (box.width - extent.width()) / 2;
    if (box.width > 0 && box.alignment == Alignment::Right) x += box.width - extent.width();
    canvas.TextOut(x, y, line);
    y += full_height - (full_height - extent.height()) / 2;
  }
}

}  // namespace

CompiledBand::CompiledBand(const Band& band, const FieldLookup& lookup) : band_(band) {
  for (const BandItem& item : band.items) {
    fields_.emplace_back();
    expressions_.emplace_back();
    if (const auto* data = std::get_if<DataText>(&item)) {
      fields_.back() = lookup("", data->field);
    } else if (const auto* expression = std::get_if<ExpressionText>(&item)) {
      expressions_.back() =
          std::make_unique<Expression>(Expression::Compile(expression->expression, lookup));
    }
  }
}

void CompiledBand::Draw(PageCanvas& canvas, QPoint origin, PageNumbers numbers) const {
  for (std::size_t i = 0; i < band_.items.size(); ++i) {
    const BandItem& item = band_.items[i];
    if (const auto* label = std::get_if<Label>(&item)) {
      DrawText(canvas, origin, label->box, label->text);
    } else if (const auto* data = std::get_if<DataText>(&item)) {
      const FieldBinding& field = fields_[i];
      DrawText(canvas, origin, data->box,
               DisplayText(field.source->FieldValue(field.field), data->mask));
    } else if (const auto* expression = std::get_if<ExpressionText>(&item)) {
      DrawText(canvas, origin, expression->box,
               DisplayText(expressions_[i]->Evaluate(), expression->mask));
    } else if (const auto* number = std::get_if<PageNumberText>(&item)) {
      QString text = number->format;
      text.replace(QStringLiteral("{pages}"), QString::number(numbers.pages));
      text.replace(QStringLiteral("{page}"), QString::number(numbers.page));
      DrawText(canvas, origin, number->box, text);
    } else if (const auto* frame = std::get_if<FrameShape>(&item)) {
      canvas.SetPenWidth(frame->width);
      canvas.Frame(frame->rect.translated(origin));
    } else if (const auto* rule = std::get_if<RuleShape>(&item)) {
      canvas.SetPenWidth(rule->width);
      const QLine line = rule->line.translated(origin);
      canvas.Line(line.x1(), line.y1(), line.x2(), line.y2());
    }
  }
}

}  // namespace veltra::print
