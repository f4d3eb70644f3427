// The numeric boxes' character filter: what stays, where the caret goes.
#include "core/app/field_filter.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(FieldFilter, HexBoxesTakeDigitsAndLettersAToFInUpperCase) {
  FilteredField f = FilterField("1a2F", 4, FieldChars::Hex);
  EXPECT_EQ(f.text, "1A2F");
  EXPECT_EQ(f.caret, 4);
  EXPECT_FALSE(f.refused);
  // A character typed in the middle goes again, and the caret goes back to it.
  f = FilterField("12G34", 3, FieldChars::Hex);
  EXPECT_EQ(f.text, "1234");
  EXPECT_EQ(f.caret, 2);
  EXPECT_TRUE(f.refused);
  f = FilterField("AB ", 3, FieldChars::Hex);
  EXPECT_EQ(f.text, "AB");
  EXPECT_TRUE(f.refused);
}

TEST(FieldFilter, DecimalBoxesRefuseLettersAndAPasteLosesEveryRefusedCharacter) {
  FilteredField f = FilterField("1A", 2, FieldChars::Decimal);
  EXPECT_EQ(f.text, "1");
  EXPECT_EQ(f.caret, 1);
  EXPECT_TRUE(f.refused);
  // Pasted "x9-y" in front of "5": only the 9 stays, the caret after it.
  f = FilterField("x9-y5", 4, FieldChars::Decimal);
  EXPECT_EQ(f.text, "95");
  EXPECT_EQ(f.caret, 1);
  // Characters beyond the caret do not move it.
  f = FilterField("7\xC3\xA4", 1, FieldChars::Decimal);  // "7ä"
  EXPECT_EQ(f.text, "7");
  EXPECT_EQ(f.caret, 1);
  EXPECT_TRUE(FilterField("", 0, FieldChars::Decimal).text.empty());
}

}  // namespace
}  // namespace tarnwick
