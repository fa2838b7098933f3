#include "pace.h"

#include <algorithm>
#include <thread>

namespace unitsim {

namespace {

constexpr std::chrono::milliseconds kMostBehind{100};

}  // namespace

Pace::Pace(std::uint32_t limitKbit)
    : bytesPerSecond_(static_cast<double>(limitKbit) * 1000 / 8), start_(Clock::now()) {}

std::size_t Pace::Chunk(std::size_t unit, std::size_t most) const {
  if (!limited()) return most;
  auto units = static_cast<std::size_t>(bytesPerSecond_ / 100 / static_cast<double>(unit));
  return unit * std::clamp<std::size_t>(units, 1, std::max<std::size_t>(most / unit, 1));
}

void Pace::Before(std::uint64_t moved) {
  if (!limited()) return;
  auto at = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(static_cast<double>(moved) / bytesPerSecond_));
  Clock::time_point now = Clock::now();
  if (now - (start_ + at) > kMostBehind) start_ = now - at;
  std::this_thread::sleep_until(start_ + at);
}

}  // namespace unitsim
