#include "colors.h"

#include <gtest/gtest.h>

namespace halvex {
namespace {

TEST(Colors, SixteenColourTerminalsGetEveryColour) {
  const int expected[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};
  for (int n = 0; n < 16; ++n) {
    EXPECT_EQ(ForegroundColor(n, 256).color, expected[n]) << n;
    EXPECT_FALSE(ForegroundColor(n, 256).bold) << n;
    EXPECT_EQ(BackgroundColor(n, 16), expected[n]) << n;
  }
}

TEST(Colors, EightColourTerminalsShowBrightForegroundsBold) {
  EXPECT_EQ(ForegroundColor(14, 8).color, 3);  // yellow: bold brown
  EXPECT_TRUE(ForegroundColor(14, 8).bold);
  EXPECT_EQ(ForegroundColor(12, 8).color, 1);  // light red: bold red
  EXPECT_TRUE(ForegroundColor(12, 8).bold);
  EXPECT_EQ(ForegroundColor(4, 8).color, 1);
  EXPECT_FALSE(ForegroundColor(4, 8).bold);
  EXPECT_EQ(BackgroundColor(8, 8), 7);  // dark grey background: light grey
  EXPECT_EQ(BackgroundColor(12, 8), 1);
  // No text is drawn in its own background's colour: the bars' black on
  // dark grey, the warning box's black and light grey on light red.
  for (auto [fg, bg] : {std::pair{0, 8}, {0, 12}, {7, 12}, {7, 0}}) {
    EXPECT_NE(ForegroundColor(fg, 8).color, BackgroundColor(bg, 8)) << fg << " on " << bg;
  }
}

}  // namespace
}  // namespace halvex
