#include "progress.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

// The line of one run, as each test has its own.
Progress progress;

std::string Drawn(std::uint32_t done) {
  ::testing::internal::CaptureStdout();
  progress.ShowProgress(done);
  return ::testing::internal::GetCapturedStdout();
}

TEST(ProgressLine, FillOfTwentyFourOutOfThreeThousand) {
  EXPECT_EQ(ProgressLine(1460, 3000),
            "\r [oOo.oOo.oOo.oOo.oOo.oOo.o" + std::string(25, ' ') + "] - 1460 (1K)");
}

TEST(ProgressLine, EmptyAndFullAndBeyond) {
  EXPECT_EQ(ProgressLine(0, 3000), "\r [o" + std::string(49, ' ') + "] - 0 (0K)");
  std::string full = "\r [";
  for (int i = 0; i < 50; ++i) full += "oOo."[i % 4];
  EXPECT_EQ(ProgressLine(3000, 3000), full + "] - 3000 (2K)");
  EXPECT_EQ(ProgressLine(9000, 3000), full + "] - 9000 (8K)");
  // Nothing to fill against: the line is drawn full.
  EXPECT_EQ(ProgressLine(0, 0), full + "] - 0 (0K)");
}

TEST(ProgressLine, LargeCountsDoNotOverflow) {
  // done * 50 needs more than 32 bits here; the fill is 37.
  std::string line = ProgressLine(3000000000u, 4000000000u);
  std::string cells;
  for (int i = 0; i < 50; ++i) cells += i <= 37 ? "oOo."[i % 4] : ' ';
  EXPECT_EQ(line.substr(3, 50), cells);
  EXPECT_NE(line.find("] - 3000000000 (2929687K)"), std::string::npos);
}

// A 3000-byte download in blocks of 1460, 1460 and 80: the count before
// each block, then the final count.
TEST(ShowProgress, DownloadOfThreeThousandBytesDrawsFiveTimes) {
  progress = Progress();
  progress.SetTotal(3000);
  std::string out;
  for (std::uint32_t done : {0u, 0u, 1460u, 2920u, 3000u}) out += Drawn(done);
  EXPECT_EQ(out, ProgressLine(0, 3000) + ProgressLine(0, 3000) + ProgressLine(1460, 3000) +
                     ProgressLine(2920, 3000) + ProgressLine(3000, 3000));
  EXPECT_NE(ProgressLine(2920, 3000).find("oOo.oOo.o "), std::string::npos);
}

TEST(ShowProgress, SkipsAtMostTwoUnchangedFills) {
  progress = Progress();
  progress.SetTotal(1000);
  EXPECT_FALSE(Drawn(100).empty());  // fill 5
  EXPECT_EQ(Drawn(101), "");
  EXPECT_EQ(Drawn(102), "");
  EXPECT_EQ(Drawn(103), ProgressLine(103, 1000));  // the third one draws
  EXPECT_EQ(Drawn(104), "");
  EXPECT_EQ(Drawn(120), ProgressLine(120, 1000));  // fill 6: changed
}

TEST(ShowProgress, ZeroAlwaysDrawsAndResets) {
  progress = Progress();
  progress.SetTotal(1000);
  EXPECT_FALSE(Drawn(0).empty());
  EXPECT_FALSE(Drawn(0).empty());
  EXPECT_FALSE(Drawn(0).empty());
  EXPECT_EQ(Drawn(1), "");  // fill 0 again after a drawing of 0
  EXPECT_EQ(Drawn(0), ProgressLine(0, 1000));
  EXPECT_EQ(Drawn(2), "");  // the skip count started over
  EXPECT_EQ(Drawn(3), "");
  EXPECT_FALSE(Drawn(4).empty());
}

TEST(ShowProgress, ZeroTotalDrawsFullLine) {
  progress = Progress();
  progress.SetTotal(0);
  EXPECT_EQ(Drawn(0), ProgressLine(0, 0));
  EXPECT_NE(ProgressLine(0, 0).find("oO] - 0"), std::string::npos);
}

}  // namespace
}  // namespace velkor
