// Keeps the bytes moved in one direction at or below a rate, like a radio
// link: the mover asks Before() how long to wait before its next piece,
// and a peer that stalls does not earn a burst afterwards.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace unitsim {

class Pace {
 public:
  using Clock = std::chrono::steady_clock;

  // 0: no limit.
  explicit Pace(std::uint32_t limitKbit = 0);

  bool limited() const { return bytesPerSecond_ > 0; }
  // The most to move in one go: about a hundredth of a second's worth, in
  // whole multiples of `unit` bytes (at least one), or `most` when there
  // is no limit.
  std::size_t Chunk(std::size_t unit, std::size_t most) const;
  // Waits until moving more keeps to the limit; `moved` counts the bytes
  // moved since the pace began.
  void Before(std::uint64_t moved);

 private:
  double bytesPerSecond_;
  Clock::time_point start_;
};

}  // namespace unitsim
