// PPP and hotspot users: what the disconnects send, and the lists cut
// short, against scripted peers.
#include <gtest/gtest.h>

#include "live_peer.h"
#include "user_sessions.h"

namespace e2e {
namespace {

using velkor::HotspotSessionRecord;
using velkor::PppSessionRecord;

TEST(Disconnect, UserNameFollowsTheRequestAndTheFinalReplyDecides) {
  std::string name(255, 'n');
  std::optional<std::vector<std::uint8_t>> message;
  std::optional<velkor::RequestFrame> request;
  ScriptedPeer peer = LivePeer(
      [&](PeerLink& link) {
        link.SendReply(1);
        message = link.Receive(259);
        link.SendReply(6);
      },
      &request);
  RunResult r = VelkorAgainst(peer, {"-dis_ppp", name});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "Server reported an error: No active session by this name\n");
  ASSERT_TRUE(message);
  EXPECT_EQ((*message)[0], 0xFF);
  EXPECT_EQ((*message)[1], 0);
  EXPECT_EQ(std::string(message->begin() + 4, message->end()), name);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->action, velkor::kActionDisconnectPpp);
  EXPECT_EQ(request->value, 0u);
  EXPECT_EQ(request->device, "");
}

TEST(Disconnect, HotspotAddressIsFourBytesInDottedOrder) {
  std::optional<std::vector<std::uint8_t>> message;
  ScriptedPeer peer = LivePeer([&](PeerLink& link) {
    link.SendReply(1);
    message = link.Receive(4);
    link.SendReply(1);
  });
  RunResult r = VelkorAgainst(peer, {"-dis_hot_ip", "10.1.2.3"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "Operation has completed successfuly.\n");
  EXPECT_EQ(message, (std::vector<std::uint8_t>{10, 1, 2, 3}));
}

TEST(Disconnect, ServerGoneBeforeTheFinalReply) {
  ScriptedPeer peer = LivePeer([&](PeerLink& link) {
    link.SendReply(1);
    link.Receive(4 + 5);
  });
  RunResult r = VelkorAgainst(peer, {"-dis_hot_user", "alice", "-s"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "Failed to get a responce from the server.\n");
}

TEST(SessionList, PppHeaderStaysWhenTheListIsCutShort) {
  ScriptedPeer peer = LivePeer([](PeerLink& link) {
    link.SendReply(1);
    PppSessionRecord user;
    user.user = "alice";
    user.type = "pppoe";
    auto bytes = velkor::EncodePppSession(user);
    link.Send(bytes);
    link.Send(std::span(bytes).first(100));
  });
  RunResult r = VelkorAgainst(peer, {"-list_ppp"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out,
            "TYPE  NAME             PORT   IP_ADDRESS      TRAFFIC\n"
            "pppoe alice                                   rx: 0 (0 KB/s), tx: 0 (0 KB/s)\n");
}

TEST(SessionList, TextsWithoutTerminatorStayInTheirFields) {
  ScriptedPeer peer = LivePeer([](PeerLink& link) {
    link.SendReply(1);
    std::array<std::uint8_t, velkor::kHotspotSessionRecordSize> bytes{};
    std::fill(bytes.begin() + 2, bytes.begin() + 292, 'z');  // name, address, MAC
    link.Send(bytes);
    HotspotSessionRecord end;
    end.end = 1;
    link.Send(velkor::EncodeHotspotSession(end));
    link.SendReply(1);
  });
  RunResult r = VelkorAgainst(peer, {"-list_hot_simple"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, std::string(256, 'z') + ", " + std::string(16, 'z') + ", " +
                       std::string(18, 'z') + ", 0, 0, 0, 0\n");
}

}  // namespace
}  // namespace e2e
