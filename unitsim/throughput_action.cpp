// Actions 32 and 33, the throughput test: after the first reply the unit
// streams 1000-byte pieces to the client (32) or takes and drops what the
// client streams (33) until the client goes away.  The test has no end of
// its own, so no final reply follows.  A limit in the description paces
// the unit like a radio link of that speed.
#include <algorithm>
#include <thread>
#include <vector>

#include "actions.h"

namespace unitsim {
namespace {

constexpr std::size_t kPiece = 1000;
constexpr std::size_t kMostPiecesAtOnce = 64;

// Keeps the bytes moved at or below the limit, like a radio link: a peer
// that stalls does not earn a burst afterwards.
class Pace {
 public:
  explicit Pace(std::uint32_t limit_kbit)
      : bytes_per_second_(static_cast<double>(limit_kbit) * 1000 / 8), start_(Clock::now()) {}

  // How many bytes to move in one go: about a hundredth of a second's
  // worth in whole pieces, or the most at once when there is no limit.
  std::size_t Chunk() const {
    if (bytes_per_second_ == 0) return kPiece * kMostPiecesAtOnce;
    auto pieces = static_cast<std::size_t>(bytes_per_second_ / 100 / kPiece);
    return kPiece * std::clamp<std::size_t>(pieces, 1, kMostPiecesAtOnce);
  }

  // Waits until moving more keeps to the limit; moved counts from the start.
  void Before(std::uint64_t moved) {
    if (bytes_per_second_ == 0) return;
    auto at = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(moved / bytes_per_second_));
    Clock::time_point now = Clock::now();
    if (now - (start_ + at) > kMostBehind) start_ = now - at;
    std::this_thread::sleep_until(start_ + at);
  }

 private:
  static constexpr std::chrono::milliseconds kMostBehind{100};
  double bytes_per_second_;
  Clock::time_point start_;
};

std::string Limit(std::uint32_t kbit) {
  return kbit == 0 ? "no limit" : "limit " + std::to_string(kbit) + " kbit/s";
}

}  // namespace

Outcome HandleThroughputToClient(ActionContext& context) {
  const std::uint32_t kbit = context.unit.description.settings.live.throughput_limit_kbit;
  context.notes.push_back("status 1, streaming (" + Limit(kbit) + ")");
  if (!context.channel.SendReply(protocol::kStatusOk)) return Outcome::kClose;
  Pace pace(kbit);
  std::vector<std::uint8_t> chunk(pace.Chunk(), 0x5a);
  std::uint64_t moved = 0;
  for (;;) {
    pace.Before(moved);
    if (!context.channel.Send(chunk)) break;
    moved += chunk.size();
  }
  context.notes.push_back("streamed until the client left");
  return Outcome::kClose;
}

Outcome HandleThroughputFromClient(ActionContext& context) {
  const std::uint32_t kbit = context.unit.description.settings.live.throughput_limit_kbit;
  context.notes.push_back("status 1, taking data (" + Limit(kbit) + ")");
  if (!context.channel.SendReply(protocol::kStatusOk)) return Outcome::kClose;
  Pace pace(kbit);
  std::vector<std::uint8_t> chunk(pace.Chunk());
  std::uint64_t moved = 0;
  for (;;) {
    pace.Before(moved);
    if (!context.channel.ReceiveExact(chunk.data(), chunk.size())) break;
    moved += chunk.size();
  }
  context.notes.push_back("took data until the client left");
  return Outcome::kClose;
}

}  // namespace unitsim
