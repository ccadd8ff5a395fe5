#include "platform/ui/edit_mask.h"

#include <gtest/gtest.h>

namespace veltra::ui {
namespace {

TEST(EditMaskTest, ParsesTheThreeFields) {
  const EditMask mask("000-00;0;*");
  EXPECT_EQ(mask.length(), 6u);
  EXPECT_FALSE(mask.saves_literals());
  EXPECT_EQ(mask.blank(), U'*');
  EXPECT_TRUE(mask.IsInput(0));
  EXPECT_FALSE(mask.IsInput(3));

  const EditMask defaults("99");
  EXPECT_TRUE(defaults.saves_literals());
  EXPECT_EQ(defaults.blank(), U'_');
  EXPECT_TRUE(EditMask("").empty());
}

TEST(EditMaskTest, PlacesAcceptOnlyTheirCharacters) {
  const EditMask mask("0La#C;1;_");
  EXPECT_EQ(mask.Accept(0, U'7'), U'7');
  EXPECT_FALSE(mask.Accept(0, U'x'));
  EXPECT_EQ(mask.Accept(1, U'x'), U'x');
  EXPECT_EQ(mask.Accept(1, U'中'), U'中');
  EXPECT_FALSE(mask.Accept(1, U'5'));
  EXPECT_EQ(mask.Accept(2, U'5'), U'5');
  EXPECT_FALSE(mask.Accept(2, U'-'));
  EXPECT_EQ(mask.Accept(3, U'-'), U'-');
  EXPECT_EQ(mask.Accept(4, U'%'), U'%');
}

TEST(EditMaskTest, CaseSwitchesAndEscapes) {
  const EditMask mask(">ll<ll<>l\\0;1;_");
  EXPECT_EQ(mask.Accept(0, U'a'), U'A');
  EXPECT_EQ(mask.Accept(2, U'B'), U'b');
  EXPECT_EQ(mask.Accept(4, U'Q'), U'Q');
  EXPECT_FALSE(mask.IsInput(5));  // the escaped 0 is a literal
  EXPECT_EQ(mask.Format("abcde0"), U"abcde0");
}

TEST(EditMaskTest, StoredValueWithAndWithoutLiterals) {
  const EditMask with("000-000;1;_");
  EXPECT_EQ(with.Format("123-456"), U"123-456");
  EXPECT_EQ(with.Unformat(U"123-456"), "123-456");

  const EditMask without("000-000;0;_");
  EXPECT_EQ(without.Format("123456"), U"123-456");
  EXPECT_EQ(without.Format("12"), U"12_-___");
  EXPECT_EQ(without.Unformat(U"123-456"), "123456");
}

TEST(EditMaskTest, RequiredPlacesMustBeFilledUnlessAllIsBlank) {
  const EditMask mask("0099;0;_");
  EXPECT_EQ(mask.Unformat(U"12__"), "12");
  EXPECT_EQ(mask.Unformat(U"1___"), std::nullopt);
  EXPECT_EQ(mask.Unformat(U"____"), "");
  // Literals alone are no value.
  EXPECT_EQ(EditMask("99/99;1;_").Unformat(U"__/__"), "");
}

TEST(EditMaskTest, LeadingBlanksRightAlignShortValues) {
  const EditMask mask("!9999;0;_");
  EXPECT_EQ(mask.Format("42"), U"__42");
  EXPECT_EQ(EditMask("9999;0;_").Format("42"), U"42__");
}

TEST(EditMaskTest, UnderscoreInTheMaskIsALiteralBlank) {
  const EditMask mask("00_00;1;*");
  EXPECT_FALSE(mask.IsInput(2));
  EXPECT_EQ(mask.Format(""), U"** **");
  EXPECT_EQ(mask.Unformat(U"12 34"), "12 34");
}

TEST(EditMaskTest, DescribesWhatItsPlacesTake) {
  const std::pair<const char*, const char*> cases[] = {
      {"0000;1;_", "4位数字"},
      {">LL-9999;1;_", "2位字母、至多4位数字"},
      {"00:00;1;_", "2位数字、2位数字"},
      {"#9aC;0;_", "至多1位数字或正负号、至多1位数字、至多1位字母或数字、1位字符"},
  };
  for (const auto& [spec, described] : cases) EXPECT_EQ(EditMask(spec).Describe(), described) << spec;
}

}  // namespace
}  // namespace veltra::ui
