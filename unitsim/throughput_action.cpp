// Actions 32 and 33, the throughput test: after the first reply the unit
// streams 1000-byte pieces to the client (32) or takes and drops what the
// client streams (33) until the client goes away.  The test has no end of
// its own, so no final reply follows.  A limit in the description paces
// the unit like a radio link of that speed.
#include <vector>

#include "actions.h"
#include "pace.h"

namespace unitsim {
namespace {

constexpr std::size_t kPiece = 1000;
constexpr std::size_t kMostPiecesAtOnce = 64;

std::string Limit(std::uint32_t kbit) {
  return kbit == 0 ? "no limit" : "limit " + std::to_string(kbit) + " kbit/s";
}

}  // namespace

Outcome HandleThroughputToClient(ActionContext& context) {
  const std::uint32_t kbit = context.unit.description.settings.live.throughputLimitKbit;
  context.notes.push_back("status 1, streaming (" + Limit(kbit) + ")");
  if (!context.channel.SendReply(protocol::kStatusOk)) return Outcome::kClose;
  Pace pace(kbit);
  std::vector<std::uint8_t> chunk(pace.Chunk(kPiece, kPiece * kMostPiecesAtOnce), 0x5a);
  std::uint64_t moved = 0;
  for (;;) {
    pace.Before(moved);
    if (!context.channel.SendMore(chunk)) break;
    moved += chunk.size();
  }
  context.notes.push_back("streamed until the client left");
  return Outcome::kClose;
}

Outcome HandleThroughputFromClient(ActionContext& context) {
  const std::uint32_t kbit = context.unit.description.settings.live.throughputLimitKbit;
  context.notes.push_back("status 1, taking data (" + Limit(kbit) + ")");
  if (!context.channel.SendReply(protocol::kStatusOk)) return Outcome::kClose;
  Pace pace(kbit);
  std::vector<std::uint8_t> chunk(pace.Chunk(kPiece, kPiece * kMostPiecesAtOnce));
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
