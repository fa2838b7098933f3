// A screen that shows nothing and has no keyboard: the sweep and the query
// draw on it when halvex runs without a terminal (the inventory).
#pragma once

#include "console.h"

namespace halvex {

class NullScreen : public ScreenDevice {
 public:
  void Put(int, int, unsigned char, int, int) override {}
  void ScrollUp(int) override {}
  void ClearAll(int) override {}
  void PlaceCursor(int, int) override {}
  void Present() override {}
  std::optional<InputEvent> NextEvent() override { return std::nullopt; }
  std::optional<InputEvent> PollEvent(int) override { return std::nullopt; }
  void PassKeysToChild(bool) override {}
};

}  // namespace halvex
