#include "throughput.h"

#include <ctime>
#include <vector>

#include "text_format.h"

namespace velkor {

namespace {

std::int64_t SystemSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace

std::string ThroughputRateText(std::uint64_t delta) {
  if (delta > 1024) return FormatText("%d KB/sec", static_cast<int>(delta / 1024));
  return FormatText("%d B/sec", static_cast<int>(delta));
}

void PrintThroughputLine(const char* direction, std::uint64_t delta) {
  std::printf("%s rate: %s  (Press Ctrl-C to exit)   \r", direction,
              ThroughputRateText(delta).c_str());
}

void ReceiveThroughput(Connection& connection) {
  ThroughputLoop(
      "rx", [&](std::uint8_t* piece) { return connection.ReceiveExact(piece, kThroughputPiece); },
      SystemSeconds);
}

void TransmitThroughput(Connection& connection) {
  // The pieces go out as many to a send as fit into 64 KiB: the rate line
  // counts each piece as it is put into the batch.
  std::vector<std::uint8_t> batch;
  batch.reserve(kBatchBytes);
  ThroughputLoop(
      "tx",
      [&](std::uint8_t* piece) {
        batch.insert(batch.end(), piece, piece + kThroughputPiece);
        if (batch.size() + kThroughputPiece <= kBatchBytes) return true;
        bool sent = connection.SendAll(batch.data(), batch.size());
        batch.clear();
        return sent;
      },
      SystemSeconds);
}

}  // namespace velkor
