// -rx and -tx against scripted peers: the loops end when the peer goes
// away, and the final reply then fails.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "scripted_peer.h"

namespace e2e {
namespace {

constexpr const char* kNoReply = "Failed to get a responce from the server.\n";

// Streams pieces for the given time, then closes.
void Stream(PeerLink& link, std::chrono::milliseconds howLong) {
  std::string chunk(10000, 'x');
  auto end = std::chrono::steady_clock::now() + howLong;
  while (std::chrono::steady_clock::now() < end) {
    if (!link.Send(chunk)) return;
  }
}

TEST(Throughput, ReceiveEndsWhenTheServerCloses) {
  std::optional<protocol::RequestFrame> request;
  ScriptedPeer peer = LoggedInPeer(
      [](PeerLink& link) {
        link.SendReply(1);
        link.Send(std::string(25500, 'x'));  // the last piece is cut short
      },
      &request);
  RunResult r = VelkorAgainst(peer, {"-rx"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.ends_with(kNoReply)) << r.out;
  ASSERT_TRUE(request);
  EXPECT_EQ(request->action, protocol::kActionReceiveThroughput);
  EXPECT_EQ(request->value, 0u);
}

TEST(Throughput, TransmitEndsAsAFailedSendWhenTheServerCloses) {
  std::size_t taken = 0;
  ScriptedPeer peer = LoggedInPeer([&](PeerLink& link) {
    link.SendReply(1);
    taken = link.Receive(200000) ? 200000 : 0;
  });
  RunResult r = VelkorAgainst(peer, {"-tx"});
  EXPECT_EQ(taken, 200000u);
  EXPECT_EQ(r.exitCode, 1);  // not killed by a broken pipe
  EXPECT_TRUE(r.out.ends_with(kNoReply)) << r.out;
}

TEST(Throughput, RateLineShowsInSilentMode) {
  // Two seconds of data cross at least one change of the clock's second.
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1);
    Stream(link, std::chrono::milliseconds(2200));
  });
  RunResult r = VelkorAgainst(peer, {"-rx", "-s"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.starts_with("rx rate: ")) << r.out;
  EXPECT_NE(r.out.find(" KB/sec  (Press Ctrl-C to exit)   \r"), std::string::npos);
  EXPECT_TRUE(r.out.ends_with(std::string("   \r") + kNoReply));
  EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);
}

TEST(Throughput, RefusedRequestEndsBeforeTheLoop) {
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) { link.SendReply(4); });
  RunResult r = VelkorAgainst(peer, {"-tx"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Server reported an error: Command not supported\n");
}

// Against the simulated unit, paced like a radio link of 8 Mbit/s; the
// test ends when the unit goes away.

const char kLink[] = R"(
[[unit]]
address = "127.0.0.1"
name = "e2e-ap"
throughput_limit_kbit = 8000
)";

class ThroughputWithUnit : public UnitsimTest<::testing::TestWithParam<const char*>> {};

TEST_P(ThroughputWithUnit, RunsUntilTheUnitGoesAway) {
  const std::string option = GetParam();
  Unitsim unit(kLink);
  RunResult r;
  std::thread client([&] { r = VelkorAgainst(unit, {option}); });
  std::this_thread::sleep_for(std::chrono::milliseconds(2300));
  unit.Stop();
  client.join();
  EXPECT_EQ(r.exitCode, 1);
  const std::string lineStart = option.substr(1) + " rate: ";
  EXPECT_TRUE(r.out.starts_with(lineStart)) << r.out;
  EXPECT_NE(r.out.find("/sec  (Press Ctrl-C to exit)   \r"), std::string::npos) << r.out;
  EXPECT_TRUE(r.out.ends_with(std::string("   \r") + kNoReply)) << r.out;
}

INSTANTIATE_TEST_SUITE_P(BothWays, ThroughputWithUnit, ::testing::Values("-rx", "-tx"));

}  // namespace
}  // namespace e2e
