// PPP and hotspot users: what the disconnects send, and the lists cut
// short, against scripted peers.
#include <gtest/gtest.h>

#include "scripted_peer.h"
#include "user_sessions.h"

namespace e2e {
namespace {

using protocol::HotspotSessionRecord;
using protocol::PppSessionRecord;

TEST(Disconnect, UserNameFollowsTheRequestAndTheFinalReplyDecides) {
  std::string name(255, 'n');
  std::optional<std::vector<std::uint8_t>> message;
  std::optional<protocol::RequestFrame> request;
  ScriptedPeer peer = LoggedInPeer(
      [&](PeerLink& link) {
        link.SendReply(1);
        message = link.Receive(259);
        link.SendReply(6);
      },
      &request);
  RunResult r = VelkorAgainst(peer, {"-dis_ppp", name});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Server reported an error: No active session by this name\n");
  ASSERT_TRUE(message);
  EXPECT_EQ((*message)[0], 0xFF);
  EXPECT_EQ((*message)[1], 0);
  EXPECT_EQ(std::string(message->begin() + 4, message->end()), name);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->action, protocol::kActionDisconnectPpp);
  EXPECT_EQ(request->value, 0u);
  EXPECT_EQ(request->device, "");
}

TEST(Disconnect, HotspotAddressIsFourBytesInDottedOrder) {
  std::optional<std::vector<std::uint8_t>> message;
  ScriptedPeer peer = LoggedInPeer([&](PeerLink& link) {
    link.SendReply(1);
    message = link.Receive(4);
    link.SendReply(1);
  });
  RunResult r = VelkorAgainst(peer, {"-dis_hot_ip", "10.1.2.3"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Operation has completed successfuly.\n");
  EXPECT_EQ(message, (std::vector<std::uint8_t>{10, 1, 2, 3}));
}

TEST(Disconnect, ServerGoneBeforeTheFinalReply) {
  ScriptedPeer peer = LoggedInPeer([&](PeerLink& link) {
    link.SendReply(1);
    link.Receive(4 + 5);
  });
  RunResult r = VelkorAgainst(peer, {"-dis_hot_user", "alice", "-s"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Failed to get a responce from the server.\n");
}

TEST(SessionList, PppHeaderStaysWhenTheListIsCutShort) {
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1);
    PppSessionRecord user;
    user.user = "alice";
    user.type = "pppoe";
    auto bytes = protocol::EncodePppSession(user);
    link.Send(bytes);
    link.Send(std::span(bytes).first(100));
  });
  RunResult r = VelkorAgainst(peer, {"-list_ppp"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out,
            "TYPE  NAME             PORT   IP_ADDRESS      TRAFFIC\n"
            "pppoe alice                                   rx: 0 (0 KB/s), tx: 0 (0 KB/s)\n");
}

TEST(SessionList, TextsWithoutTerminatorStayInTheirFields) {
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1);
    std::array<std::uint8_t, protocol::kHotspotSessionRecordSize> bytes{};
    std::fill(bytes.begin() + 2, bytes.begin() + 292, 'z');  // name, address, MAC
    link.Send(bytes);
    HotspotSessionRecord end;
    end.end = 1;
    link.Send(protocol::EncodeHotspotSession(end));
    link.SendReply(1);
  });
  RunResult r = VelkorAgainst(peer, {"-list_hot_simple"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, std::string(256, 'z') + ", " + std::string(16, 'z') + ", " +
                       std::string(18, 'z') + ", 0, 0, 0, 0\n");
}

// Against the simulated unit, with its counters standing still.

const char kSessions[] = R"(
[[unit]]
address = "127.0.0.1"
name = "e2e-ap"
counters_run = false

[[unit.ppp]]
user = "alice"
type = "pppoe"
port = "eth1"
ip = "10.5.0.12"
rx = 5000000000
rx_rate = 2048
tx = 123456
tx_rate = 1023

[[unit.ppp]]
user = "carol"
type = "pptp"
port = "ppp3"
ip = "10.5.0.13"

[[unit.hotspot]]
user = "bob"
ip = "10.5.50.2"
mac = "00:11:22:33:44:55"
rx = 100
tx = 200
online = 3661
limit = 7200

[[unit.hotspot]]
user = "dave"
ip = "10.5.50.3"
mac = "00:11:22:33:44:66"
rx = 4294967295
tx = 0
online = 7300
limit = 7200

[[unit.hotspot]]
user = "erin"
ip = "10.5.50.4"
mac = "00:11:22:33:44:77"
online = 3600
)";

const char kCompleted[] = "Operation has completed successfuly.\n";
const char kPppHeader[] = "TYPE  NAME             PORT   IP_ADDRESS      TRAFFIC\n";
const char kAlice[] =
    "pppoe alice            eth1   10.5.0.12       rx: 5000000000 (2 KB/s), tx: 123456 (0 KB/s)\n";
const char kCarol[] = "pptp  carol            ppp3   10.5.0.13       rx: 0 (0 KB/s), tx: 0 (0 KB/s)\n";

class SessionsFromUnit : public UnitsimTest<> {};

TEST_F(SessionsFromUnit, ThreeListFormats) {
  Unitsim unit(kSessions);
  RunResult ppp = VelkorAgainst(unit, {"-list_ppp"});
  EXPECT_EQ(ppp.exitCode, 0);
  EXPECT_EQ(ppp.out, std::string(kPppHeader) + kAlice + kCarol);

  RunResult full = VelkorAgainst(unit, {"-list_hot"});
  EXPECT_EQ(full.exitCode, 0);
  EXPECT_EQ(full.out,
            "  1) bob - 10.5.50.2 (00:11:22:33:44:55)\n"
            "     rx: 100 tx: 200 online: 1h 1m 1s (left: 58m 59s)\n\n"
            "  2) dave - 10.5.50.3 (00:11:22:33:44:66)\n"
            "     rx: 4294967295 tx: 0 online: 2h 1m 40s (left: 0s)\n\n"
            "  3) erin - 10.5.50.4 (00:11:22:33:44:77)\n"
            "     rx: 0 tx: 0 online: 1h  \n\n" +
                std::string(kCompleted));

  RunResult simple = VelkorAgainst(unit, {"-list_hot_simple"});
  EXPECT_EQ(simple.exitCode, 0);
  EXPECT_EQ(simple.out,
            "bob, 10.5.50.2, 00:11:22:33:44:55, 100, 200, 3661, 7200\n"
            "dave, 10.5.50.3, 00:11:22:33:44:66, 4294967295, 0, 7300, 7200\n"
            "erin, 10.5.50.4, 00:11:22:33:44:77, 0, 0, 3600, 0\n");
}

TEST_F(SessionsFromUnit, DisconnectsEndSessions) {
  Unitsim unit(kSessions);
  RunResult ppp = VelkorAgainst(unit, {"-dis_ppp", "alice"});
  EXPECT_EQ(ppp.exitCode, 0);
  EXPECT_EQ(ppp.out, kCompleted);
  EXPECT_EQ(VelkorAgainst(unit, {"-list_ppp"}).out, std::string(kPppHeader) + kCarol);

  RunResult user = VelkorAgainst(unit, {"-dis_hot_user", "bob"});
  EXPECT_EQ(user.exitCode, 0);
  EXPECT_EQ(user.out, kCompleted);
  RunResult address = VelkorAgainst(unit, {"-dis_hot_ip", "10.5.50.4", "-s"});
  EXPECT_EQ(address.exitCode, 0);
  EXPECT_EQ(address.out, "");
  EXPECT_EQ(VelkorAgainst(unit, {"-list_hot_simple"}).out,
            "dave, 10.5.50.3, 00:11:22:33:44:66, 4294967295, 0, 7300, 7200\n");
}

TEST_F(SessionsFromUnit, NoMatchingSessionIsRefused) {
  Unitsim unit(kSessions);
  const std::string refused = "Server reported an error: No active session by this name\n";
  for (std::vector<std::string> options : {std::vector<std::string>{"-dis_ppp", "bob"},
                                           {"-dis_hot_user", "alice"},
                                           {"-dis_hot_ip", "10.5.50.9"}}) {
    RunResult r = VelkorAgainst(unit, options);
    EXPECT_EQ(r.exitCode, 1) << options[0];
    EXPECT_EQ(r.out, refused) << options[0];
  }
  EXPECT_EQ(VelkorAgainst(unit, {"-list_ppp"}).out, std::string(kPppHeader) + kAlice + kCarol);
}

TEST_F(SessionsFromUnit, EmptyListsPrintOnlyTheirFrame) {
  Unitsim unit("[[unit]]\naddress = \"127.0.0.1\"\nname = \"quiet\"\n");
  EXPECT_EQ(VelkorAgainst(unit, {"-list_ppp"}).out, kPppHeader);
  EXPECT_EQ(VelkorAgainst(unit, {"-list_hot"}).out, kCompleted);
  RunResult simple = VelkorAgainst(unit, {"-list_hot_simple"});
  EXPECT_EQ(simple.exitCode, 0);
  EXPECT_EQ(simple.out, "");
}

}  // namespace
}  // namespace e2e
