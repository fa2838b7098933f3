#include "mouse_decoder.h"

#include <gtest/gtest.h>

namespace halvex {
namespace {

using namespace std::chrono_literals;

struct Decoded {
  int event;
  int button;
  int row;
  int column;
};

Decoded Get(MouseDecoder& d, std::string_view report, MouseDecoder::Clock::time_point t) {
  auto e = d.Decode(report, t);
  if (!e) return {-1, -1, -1, -1};
  EXPECT_EQ(e->type, InputEvent::Type::kMouse);
  return {e->mouseEvent, e->button, e->row, e->column};
}

void Expect(const Decoded& got, int event, int button, int row, int column) {
  EXPECT_EQ(got.event, event);
  EXPECT_EQ(got.button, button);
  EXPECT_EQ(got.row, row);
  EXPECT_EQ(got.column, column);
}

TEST(MouseDecoder, PressesReleasesAndMotion) {
  MouseDecoder d;
  auto t = MouseDecoder::Clock::now();
  Expect(Get(d, "0;12;5M", t), mouse::kPressed, mouse::kLeft, 5, 12);
  Expect(Get(d, "0;12;5m", t), mouse::kReleased, mouse::kLeft, 5, 12);
  Expect(Get(d, "2;100;44M", t + 1s), mouse::kPressed, mouse::kRight, 44, 100);
  Expect(Get(d, "2;100;44m", t + 1s), mouse::kReleased, mouse::kRight, 44, 100);
  Expect(Get(d, "35;7;9M", t), mouse::kMoved, mouse::kNoButton, 9, 7);
  Expect(Get(d, "32;7;9M", t), mouse::kMoved, mouse::kLeft, 9, 7);
  Expect(Get(d, "1;3;3M", t + 2s), mouse::kPressed, mouse::kMiddle, 3, 3);
  // Shift, Meta and Ctrl do not change the button.
  Expect(Get(d, "18;3;4M", t + 3s), mouse::kPressed, mouse::kRight, 4, 3);
}

TEST(MouseDecoder, ASecondQuickPressOnTheSameCellIsADoubleClick) {
  MouseDecoder d;
  auto t = MouseDecoder::Clock::now();
  Expect(Get(d, "0;20;10M", t), mouse::kPressed, mouse::kLeft, 10, 20);
  Get(d, "0;20;10m", t + 50ms);
  Expect(Get(d, "0;20;10M", t + 100ms), mouse::kDoubleClick, mouse::kLeft, 10, 20);
  Get(d, "0;20;10m", t + 150ms);
  // A third press starts over.
  Expect(Get(d, "0;20;10M", t + 200ms), mouse::kPressed, mouse::kLeft, 10, 20);
}

TEST(MouseDecoder, SlowOrMovedOrOtherButtonPressesAreSinglePresses) {
  MouseDecoder d;
  auto t = MouseDecoder::Clock::now();
  Get(d, "0;20;10M", t);
  Expect(Get(d, "0;20;10M", t + 600ms), mouse::kPressed, mouse::kLeft, 10, 20);
  Expect(Get(d, "0;21;10M", t + 700ms), mouse::kPressed, mouse::kLeft, 10, 21);
  Expect(Get(d, "2;21;10M", t + 800ms), mouse::kPressed, mouse::kRight, 10, 21);
}

TEST(MouseDecoder, MalformedReportsAndTheWheelGiveNothing) {
  MouseDecoder d;
  auto t = MouseDecoder::Clock::now();
  for (std::string_view bad : {"", "0;12M", "0;12;5", "0;12;5X", "a;1;1M", "0;;1M", "0;12;5MM",
                               "0;0;5M", "0;5;0M", "64;5;5M", "65;5;5M", "0;999999;5M", ";1;1M"}) {
    EXPECT_FALSE(d.Decode(bad, t).has_value()) << bad;
  }
}

}  // namespace
}  // namespace halvex
