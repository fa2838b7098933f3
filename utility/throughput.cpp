#include "throughput.h"

#include <ctime>

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
  ThroughputLoop(
      "tx", [&](std::uint8_t* piece) { return connection.SendAll(piece, kThroughputPiece); },
      SystemSeconds);
}

}  // namespace velkor
