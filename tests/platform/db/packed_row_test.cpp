#include "platform/db/packed_row.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace veltra::db {
namespace {

// Every kind at the edges of its slot: texts and bytes around the eight
// bytes a slot holds and the fourteen a value holds in place, numbers at
// their limits, a negative zero, a null among them.
TEST(PackedRow, GivesBackEveryValueAsItWasPacked) {
  using Limits = std::numeric_limits<double>;
  const Row values = {
      Value(),
      Value::Text("a"),
      Value::Text("中文ab"),  // eight bytes of UTF-8
      Value::Text("abcdefghi"),
      Value::Text("高新技术企业名称"),  // boxed
      Value::FromBytes(std::string("\0b\0", 3)),
      Value::FromBytes(std::string(20, '\xFF')),
      Value::Float(Limits::max()),
      Value::Float(-Limits::denorm_min()),
      Value::Float(-0.0),
      Value::Integer(std::numeric_limits<std::int64_t>::min()),
      Value::Integer(std::numeric_limits<std::int64_t>::max()),
      Value::Boolean(true),
      Value::Boolean(false),
      Value::FromDate(Date{-1}),
      Value::FromTime(Time{86'399'999}),
      Value::FromDateTime(DateTime{Date{730'000}, Time{1}}),
      Value(),
  };
  Row moved = values;
  const PackedRow copied(values), taken(std::move(moved));
  moved.clear();  // the long texts must live on in `taken`
  for (const PackedRow* packed : {&copied, &taken}) {
    ASSERT_EQ(packed->size(), values.size());
    const Row unpacked = packed->Unpack();
    for (std::size_t f = 0; f < values.size(); ++f) {
      SCOPED_TRACE(f);
      EXPECT_EQ(unpacked[f], values[f]);
      EXPECT_EQ(packed->Get(f), values[f]);
      EXPECT_EQ(packed->IsNull(f), values[f].is_null());
    }
    EXPECT_TRUE(std::signbit(unpacked[9].float_value()));
  }

  // Only the fields asked for are read; the rest keep what they held.
  Row partial(values.size(), Value::Integer(7));
  const std::vector<std::size_t> fields = {0, 4, 9};
  taken.UnpackInto(partial, &fields);
  for (std::size_t f = 0; f < values.size(); ++f) {
    const bool read = f == 0 || f == 4 || f == 9;
    EXPECT_EQ(partial[f], read ? values[f] : Value::Integer(7)) << f;
  }
}

}  // namespace
}  // namespace veltra::db
