#include "throughput.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_peer.h"

namespace velkor {
namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;
using testing::PeerEnd;
using testing::ScriptedPeer;

// Drives the loop with a simulated link: piecesPerSecond pieces complete
// in every second of a clock that reads pieces / piecesPerSecond.
std::string RunSimulated(std::int64_t pieces, std::int64_t piecesPerSecond) {
  std::int64_t moved = 0;
  CaptureStdout();
  ThroughputLoop(
      "rx", [&](std::uint8_t*) { return moved++ < pieces; },
      [&] { return moved / piecesPerSecond; });
  return GetCapturedStdout();
}

TEST(ThroughputRate, Texts) {
  EXPECT_EQ(ThroughputRateText(1000), "1000 B/sec");
  EXPECT_EQ(ThroughputRateText(1024), "1024 B/sec");
  EXPECT_EQ(ThroughputRateText(2000), "1 KB/sec");
  EXPECT_EQ(ThroughputRateText(2500000), "2441 KB/sec");
}

TEST(ThroughputLoop, OneLinePerClockSecond) {
  std::string line = "rx rate: 2441 KB/sec  (Press Ctrl-C to exit)   \r";
  EXPECT_EQ(RunSimulated(2500 * 3, 2500), line + line + line);
}

TEST(ThroughputLoop, SlowLinkShowsBytes) {
  std::string line = "rx rate: 1000 B/sec  (Press Ctrl-C to exit)   \r";
  EXPECT_EQ(RunSimulated(2, 1), line + line);
  EXPECT_EQ(RunSimulated(4, 2), std::string("rx rate: 1 KB/sec  (Press Ctrl-C to exit)   \r") +
                                    "rx rate: 1 KB/sec  (Press Ctrl-C to exit)   \r");
}

TEST(ThroughputLoop, ClockSetBackShowsNothingUntilItPassesTheLastDisplay) {
  std::vector<std::int64_t> clock = {100, 101, 101, 50, 60, 101, 102, 102};
  std::size_t reads = 0;
  int pieces = 0;
  CaptureStdout();
  ThroughputLoop(
      "tx", [&](std::uint8_t*) { return pieces++ < 6; },
      [&] { return clock[std::min(reads++, clock.size() - 1)]; });
  // Displays at the first piece (after 1000 bytes) and at the fifth, which
  // covers the four pieces moved since.
  EXPECT_EQ(GetCapturedStdout(), "tx rate: 1000 B/sec  (Press Ctrl-C to exit)   \r"
                                 "tx rate: 3 KB/sec  (Press Ctrl-C to exit)   \r");
}

// The loop takes no notice of silent mode: the rate line is the action.
TEST(ThroughputLoop, RateLineShowsInSilentMode) {
  std::string out = RunSimulated(2, 1);
  EXPECT_EQ(out, "rx rate: 1000 B/sec  (Press Ctrl-C to exit)   \r"
                 "rx rate: 1000 B/sec  (Press Ctrl-C to exit)   \r");
}

TEST(ThroughputLoop, ReceiveEndsWhenThePeerCloses) {
  ScriptedPeer peer([](PeerEnd& server) {
    std::vector<std::uint8_t> data(10 * 1000 + 500, 0x5a);  // a last piece cut short
    server.Write(data);
  });
  Connection& connection = peer.client();
  ReceiveThroughput(connection);
  CaptureStdout();
  EXPECT_FALSE(connection.ReadReply());
  EXPECT_EQ(GetCapturedStdout(), "Failed to get a responce from the server.\n");
}

TEST(ThroughputLoop, TransmitEndsWhenThePeerCloses) {
  std::size_t taken = 0;
  ScriptedPeer peer([&](PeerEnd& server) { taken = server.ReadUpTo(50 * 1000).size(); });
  Connection& connection = peer.client();
  TransmitThroughput(connection);  // a failed send, not a signal
  peer.Join();
  EXPECT_EQ(taken, 50u * 1000);
  CaptureStdout();
  EXPECT_FALSE(connection.ReadReply());
  EXPECT_EQ(GetCapturedStdout(), "Failed to get a responce from the server.\n");
}

}  // namespace
}  // namespace velkor
