// The throughput test: -rx (action 32) and -tx (action 33).
//
// After the first reply the connection carries nothing but test data, in
// 1000-byte pieces whose content means nothing: with -rx the server sends
// and the client receives, with -tx the other way round.  The test has no
// planned end; the loop ends when a receive or send fails (the server
// closed, or stopped taking data for 20 seconds) or the user presses
// Ctrl-C.
//
// The clock (whole seconds of the system time) is read once per piece.  At
// the first piece that completes after the second has changed, the bytes
// moved since the previous display are shown, overwriting the same line:
//   "rx rate: 2441 KB/sec  (Press Ctrl-C to exit)   \r"
// Silent mode does not hide it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "connection.h"

namespace velkor {

inline constexpr std::size_t kThroughputPiece = 1000;

// "%d KB/sec" with delta / 1024 when delta is above 1024, else "%d B/sec".
std::string ThroughputRateText(std::uint64_t delta);
// Prints the rate line for "rx" or "tx".
void PrintThroughputLine(const char* direction, std::uint64_t delta);

// The loop shared by both directions.  move(buffer) moves one piece and
// returns false when that failed; clock() gives the time in whole seconds.
template <class Move, class Clock>
void ThroughputLoop(const char* direction, Move&& move, Clock&& clock) {
  std::uint8_t buffer[kThroughputPiece] = {};
  std::int64_t lastTime = clock();
  std::uint64_t total = 0;
  std::uint64_t lastTotal = 0;
  for (;;) {
    if (!move(buffer)) return;
    total += kThroughputPiece;
    if (clock() > lastTime) {
      lastTime = clock();
      PrintThroughputLine(direction, total - lastTotal);
      lastTotal = total;
    }
  }
}

// Both return when the connection fails; that is the normal end.
void ReceiveThroughput(Connection& connection);
void TransmitThroughput(Connection& connection);

}  // namespace velkor
