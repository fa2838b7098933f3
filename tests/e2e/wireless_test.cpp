// -ci and -ai against scripted peers: what the request carries and how
// broken records end the run.
#include <gtest/gtest.h>

#include "live_peer.h"
#include "wireless.h"

namespace e2e {
namespace {

velkor::CardRecord Master(std::uint16_t clients) {
  velkor::CardRecord card;
  card.present = 1;
  card.type = velkor::kCardAtheros;
  card.mode = velkor::kModeMaster;
  card.clients = clients;
  card.essid = "lab-ap";
  return card;
}

TEST(AssociationRequest, CarriesDeviceAndIndex) {
  std::optional<velkor::RequestFrame> request;
  ScriptedPeer peer = LivePeer(
      [](PeerLink& link) {
        link.SendReply(1);
        link.Send(velkor::EncodeCardRecord(Master(5)));
        velkor::AssociationRecord station;
        station.name = "fifth";
        station.end = 1;
        link.Send(velkor::EncodeAssociationRecord(station));
        link.SendReply(1);
      },
      &request);
  RunResult r = VelkorAgainst(peer, {"-ai", "wlan1", "5", "-a"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, std::string(velkor::kAssociationHeader) +
                       "  5 [fifth         ] 00:00:00:00:00:00 0.0.0.0          "
                       " 0    0    0 0       0s\n");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->action, velkor::kActionAssociations);
  EXPECT_EQ(request->device, "wlan1");
  EXPECT_EQ(request->value, 5u);
  EXPECT_EQ(request->flags, velkor::kOptionApply);
}

TEST(AssociationRequest, RefusalEndsWithoutTheFinalReply) {
  ScriptedPeer peer = LivePeer([](PeerLink& link) {
    link.SendReply(1);
    link.Send(velkor::EncodeCardRecord(Master(2)));
    // No final reply: the client must not wait for one.
  });
  RunResult r = VelkorAgainst(peer, {"-ai", "wpci1", "3"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "wpci1  Association index is out of range. Only 2 associations present.\n");
}

TEST(CardRequest, CardRecordCutShortEndsSilently) {
  std::optional<velkor::RequestFrame> request;
  ScriptedPeer peer = LivePeer(
      [](PeerLink& link) {
        link.SendReply(1);
        auto bytes = velkor::EncodeCardRecord(Master(0));
        link.Send(std::span(bytes).first(153));
      },
      &request);
  RunResult r = VelkorAgainst(peer, {"-ci", "wlan2"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->device, "wlan2");
  EXPECT_EQ(request->value, 0u);
}

TEST(CardRequest, NetworkNameWithoutTerminatorStaysInItsField) {
  ScriptedPeer peer = LivePeer([](PeerLink& link) {
    link.SendReply(1);
    auto bytes = velkor::EncodeCardRecord(Master(0));
    std::fill(bytes.begin() + 17, bytes.begin() + 117, 'E');  // up to the channel
    link.Send(bytes);
    link.SendReply(1);
  });
  RunResult r = VelkorAgainst(peer, {"-ci", "wlan1", "-s"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.out.find("ESSID: \"" + std::string(33, 'E') + "\"  Nickname: \"" +
                       std::string(34, 'E') + "\"\n"),
            std::string::npos)
      << r.out;
}

}  // namespace
}  // namespace e2e
