#include "answers.h"

#include <gtest/gtest.h>

namespace halvex {
namespace {

TEST(FirstField, TakesTextUpToTheFirstComma) {
  EXPECT_EQ(FirstField("10.42.23.1"), "10.42.23.1");
  EXPECT_EQ(FirstField("  10.42.23.1, more"), "10.42.23.1");
  EXPECT_EQ(FirstField("x  "), "x");
  EXPECT_EQ(FirstField(""), "");
  EXPECT_EQ(FirstField(",1"), "");
  EXPECT_EQ(FirstField("\"a,b\",c"), "a,b");
  EXPECT_EQ(FirstField("  \"unclosed, text"), "unclosed, text");
}

TEST(ModeAnswer, TakesTheLeadingNumberRounded) {
  EXPECT_EQ(ModeAnswer("1"), 1);
  EXPECT_EQ(ModeAnswer("2"), 2);
  EXPECT_EQ(ModeAnswer("2abc"), 2);
  EXPECT_EQ(ModeAnswer("  1"), 1);
  EXPECT_EQ(ModeAnswer("1.4"), 1);
  EXPECT_EQ(ModeAnswer("1.6"), 2);
  EXPECT_EQ(ModeAnswer("1.5"), 2);
  EXPECT_EQ(ModeAnswer("2.5"), 2);
  EXPECT_EQ(ModeAnswer("0.5"), 0);
  EXPECT_EQ(ModeAnswer("0.6"), 1);
  EXPECT_EQ(ModeAnswer("+2"), 2);
  EXPECT_EQ(ModeAnswer("2e0"), 2);
  EXPECT_EQ(ModeAnswer("1,2"), 1);
  EXPECT_EQ(ModeAnswer("2, 1"), 2);
}

TEST(ModeAnswer, AsksAgainForEverythingElse) {
  EXPECT_EQ(ModeAnswer(""), 0);
  EXPECT_EQ(ModeAnswer("abc"), 0);
  EXPECT_EQ(ModeAnswer("a2"), 0);
  EXPECT_EQ(ModeAnswer("0"), 0);
  EXPECT_EQ(ModeAnswer("3"), 0);
  EXPECT_EQ(ModeAnswer("-1"), 0);
  EXPECT_EQ(ModeAnswer("2.6"), 0);
  EXPECT_EQ(ModeAnswer("0.4"), 0);
  EXPECT_EQ(ModeAnswer("0x2"), 0);
  EXPECT_EQ(ModeAnswer("inf"), 0);
  EXPECT_EQ(ModeAnswer("1e400"), 0);
  EXPECT_EQ(ModeAnswer("65537"), 0);
  EXPECT_EQ(ModeAnswer(".\"2\""), 0);
  EXPECT_EQ(ModeAnswer("\"2\""), 2);
}

TEST(LeadingNumber, ReadsSignDigitsPointAndExponent) {
  EXPECT_DOUBLE_EQ(LeadingNumber("12.5kg"), 12.5);
  EXPECT_DOUBLE_EQ(LeadingNumber("-3"), -3);
  EXPECT_DOUBLE_EQ(LeadingNumber(".5"), 0.5);
  EXPECT_DOUBLE_EQ(LeadingNumber("2e"), 2);
  EXPECT_DOUBLE_EQ(LeadingNumber("2e-1x"), 0.2);
  EXPECT_DOUBLE_EQ(LeadingNumber("-"), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber("."), 0);
}

TEST(BlockPrefix, KeepsEverythingUpToTheLastDot) {
  EXPECT_EQ(BlockPrefix("10.42.23.1"), "10.42.23.");
  EXPECT_EQ(BlockPrefix("10.42.23.77"), "10.42.23.");
  EXPECT_EQ(BlockPrefix("10.42.23."), "10.42.23.");
  EXPECT_EQ(BlockPrefix("unit.example.net"), "unit.example.");
  EXPECT_EQ(BlockPrefix("X"), ".");
  EXPECT_EQ(BlockPrefix("tower"), ".");
  EXPECT_EQ(BlockPrefix("."), ".");
}

TEST(TrimSpaces, RemovesOuterSpacesOnly) {
  EXPECT_EQ(TrimSpaces("  10.42.23.1  "), "10.42.23.1");
  EXPECT_EQ(TrimSpaces("a b"), "a b");
  EXPECT_EQ(TrimSpaces("   "), "");
}

}  // namespace
}  // namespace halvex
