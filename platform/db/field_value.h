#pragma once
// Conversion of a value to what a field stores, shared by field
// assignment, batch moves and statement results.
#include <string_view>

#include "platform/types/field.h"
#include "platform/types/value.h"

namespace veltra::db {

// Whether a field of `def` holds `value` as it is, without conversion.
bool HeldAsIs(const Value& value, const FieldDef& def);
// The value as a field of `def` holds it: numbers parsed from text, text
// cut to a string field's size at a GBK character boundary, integers
// range-checked. Throws EngineError InvalidValue naming `owner` and the field.
Value ConvertToField(const Value& value, const FieldDef& def, std::string_view owner);
// The same in place; a value the field already holds as it is stays
// untouched, uncopied.
void ConvertInField(Value& value, const FieldDef& def, std::string_view owner);

}  // namespace veltra::db
