#include "schema/table_def.h"

#include <algorithm>

#include "platform/text/ascii.h"

namespace veltra::schema {

namespace {

// ".db" is what a name without extension means.
std::string WithExtension(std::string_view name) {
  std::string result(name);
  const auto slash = result.find_last_of("/\\");
  const auto dot = result.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) result += ".db";
  return result;
}

}  // namespace

bool TableDef::Matches(std::string_view name) const {
  const std::string file = WithExtension(name);
  if (!is_layout()) return text::EqualsIgnoreAsciiCase(file, file_name);
  const std::string_view suffix = std::string_view(file_name).substr(1);
  return file.size() > suffix.size() && text::EndsWithIgnoreAsciiCase(file, suffix);
}

const IndexDef* TableDef::primary_index() const {
  for (const IndexDef& index : indexes) {
    if (index.primary) return &index;
  }
  return nullptr;
}

const IndexDef* TableDef::FindIndex(std::string_view name) const {
  for (const IndexDef& index : indexes) {
    if (!index.primary && text::EqualsIgnoreAsciiCase(index.name, name)) return &index;
  }
  return nullptr;
}

const Page* TableDef::FindPage(std::string_view name) const {
  for (const Page& page : pages) {
    if (page.name == name) return &page;
  }
  return nullptr;
}

const Placement* TableDef::PlacementOf(std::string_view field) const {
  for (const Placement& placement : placements) {
    if (text::EqualsIgnoreAsciiCase(placement.field, field)) return &placement;
  }
  return nullptr;
}

std::vector<const Placement*> TableDef::PlacementsOn(std::string_view page) const {
  std::vector<const Placement*> result;
  for (const Placement& placement : placements) {
    if (placement.page == page) result.push_back(&placement);
  }
  // A placement "below" another follows it rather than the record order.
  for (const Placement& placement : placements) {
    if (placement.page != page || placement.below.empty()) continue;
    result.erase(std::find(result.begin(), result.end(), &placement));
    const auto anchor = std::find_if(result.begin(), result.end(), [&](const Placement* other) {
      return text::EqualsIgnoreAsciiCase(other->field, placement.below);
    });
    result.insert(anchor == result.end() ? anchor : anchor + 1, &placement);
  }
  return result;
}

namespace {

const std::string& ByField(const FieldDefs& fields, const std::vector<std::string>& values, std::string_view field) {
  static const std::string kNone;
  const int position = FindField(fields, field);
  return position < 0 ? kNone : values[static_cast<std::size_t>(position)];
}

}  // namespace

const std::string& TableDef::MeaningOf(std::string_view field) const { return ByField(fields, meanings, field); }

const std::string& TableDef::CodesOf(std::string_view field) const { return ByField(fields, code_lists, field); }

}  // namespace veltra::schema
