// -ci and -ai against scripted peers: what the request carries and how
// broken records end the run.
#include <gtest/gtest.h>

#include "scripted_peer.h"
#include "wireless.h"

namespace e2e {
namespace {

std::string AssociationHeaderText() { return velkor::kAssociationHeader; }

protocol::CardRecord Master(std::uint16_t clients) {
  protocol::CardRecord card;
  card.present = 1;
  card.type = protocol::kCardAtheros;
  card.mode = protocol::kModeMaster;
  card.clients = clients;
  card.essid = "lab-ap";
  return card;
}

TEST(AssociationRequest, CarriesDeviceAndIndex) {
  std::optional<protocol::RequestFrame> request;
  ScriptedPeer peer = LoggedInPeer(
      [](PeerLink& link) {
        link.SendReply(1);
        link.Send(protocol::EncodeCardRecord(Master(5)));
        protocol::AssociationRecord station;
        station.name = "fifth";
        station.end = 1;
        link.Send(protocol::EncodeAssociationRecord(station));
        link.SendReply(1);
      },
      &request);
  RunResult r = VelkorAgainst(peer, {"-ai", "wlan1", "5", "-a"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, std::string(velkor::kAssociationHeader) +
                       "  5 [fifth         ] 00:00:00:00:00:00 0.0.0.0          "
                       " 0    0    0 0       0s\n");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->action, protocol::kActionAssociations);
  EXPECT_EQ(request->device, "wlan1");
  EXPECT_EQ(request->value, 5u);
  EXPECT_EQ(request->flags, protocol::kOptionApply);
}

TEST(AssociationRequest, RefusalEndsWithoutTheFinalReply) {
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1);
    link.Send(protocol::EncodeCardRecord(Master(2)));
    // No final reply: the client must not wait for one.
  });
  RunResult r = VelkorAgainst(peer, {"-ai", "wpci1", "3"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "wpci1  Association index is out of range. Only 2 associations present.\n");
}

TEST(CardRequest, CardRecordCutShortEndsSilently) {
  std::optional<protocol::RequestFrame> request;
  ScriptedPeer peer = LoggedInPeer(
      [](PeerLink& link) {
        link.SendReply(1);
        auto bytes = protocol::EncodeCardRecord(Master(0));
        link.Send(std::span(bytes).first(153));
      },
      &request);
  RunResult r = VelkorAgainst(peer, {"-ci", "wlan2"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->device, "wlan2");
  EXPECT_EQ(request->value, 0u);
}

TEST(CardRequest, NetworkNameWithoutTerminatorStaysInItsField) {
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1);
    auto bytes = protocol::EncodeCardRecord(Master(0));
    std::fill(bytes.begin() + 17, bytes.begin() + 117, 'E');  // up to the channel
    link.Send(bytes);
    link.SendReply(1);
  });
  RunResult r = VelkorAgainst(peer, {"-ci", "wlan1", "-s"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("ESSID: \"" + std::string(33, 'E') + "\"  Nickname: \"" +
                       std::string(34, 'E') + "\"\n"),
            std::string::npos)
      << r.out;
}

// Against the simulated unit.

const char kCards[] = R"(
[[unit]]
address = "127.0.0.1"
name = "e2e-ap"

[[unit.card]]
device = "wlan1"
type = "atheros"
variant = 1
firmware = "2.4.11"
mode = "master"
mac = "00:0C:42:17:00:05"
essid = "lab-ap"
channel = 36
rate = 110
quality = 45
level = 100
noise = 60
distance = 1.05

[[unit.card.station]]
name = "cpe-north"
mac = "00:0C:42:AA:BB:CC"
ip = "10.42.23.17"
quality = 45
signal = 60
noise = 20
client_signal = 70
client_noise = 20
rate = 110
rx = 5000000000
tx = 1234
idle = 61

[[unit.card.station]]
name = "a-very-long-client-name"
mac = "00:0C:42:AA:BB:CD"
ip = "10.42.23.18"
quality = 120
signal = 55
noise = 18
client_signal = 50
client_noise = 20
rate = 55
rx = 10
tx = 20
idle = 86399

[[unit.card.station]]
name = "cpe-east"
mac = "00:0C:42:AA:BB:CE"
ip = "10.42.23.19"
quality = 7
signal = 40
noise = 19
client_signal = 30
client_noise = 25
rate = 60
idle = 90000

[[unit.card]]
device = "wpci1"
type = "prism"
variant = 1
firmware = "1.7.4"
mode = "infrastructure"
mac = "00:02:6F:01:02:03"
essid = "uplink"
nickname = "cpe-17"
channel = 6
rate = 55
auto_rate = false
link_state = 6
quality = 80
quality_max = 92
level = 180
level_max = 255
noise = 20
)";

class WirelessFromUnit : public UnitsimTest<> {};

const std::string kRow1 =
    "  1 [cpe-north     ] 00:0c:42:aa:bb:cc 10.42.23.17      45   60   20 11   1:01m\n";
const std::string kRow2 =
    "  2 [a-very-long-..] 00:0c:42:aa:bb:cd 10.42.23.18      120  55   18 5.5 23:59h\n";
const std::string kRow3 =
    "  3 [cpe-east      ] 00:0c:42:aa:bb:ce 10.42.23.19       7   40   19 5.5  1:01d\n";

TEST_F(WirelessFromUnit, CardInformation) {
  Unitsim unit(kCards);
  RunResult ap = VelkorAgainst(unit, {"-ci", "wlan1"});
  EXPECT_EQ(ap.exitCode, 0);
  EXPECT_EQ(ap.out,
            "wlan1  Atheros 5212 with firmware v2.4.11, link distance 1.05 miles\n"
            "       IEEE 802.11-OFDM  ESSID: \"lab-ap\"  \n"
            "       Mode: Master AP  Channel: 36  Access Point: 00:0c:42:17:00:05\n"
            "       TX Rate: 11Mb/s Auto-rate fallback  Link status: Master  Clients: 3\n"
            "       Signal quality: 45  Signal level: -49dBm  Signal noise: -89dBm\n");

  RunResult client = VelkorAgainst(unit, {"-ci", "wpci1"});
  EXPECT_EQ(client.exitCode, 0);
  EXPECT_EQ(client.out,
            "wpci1  Intersil Prism 2.5 with firmware v1.7.4\n"
            "       IEEE 802.11-DS  ESSID: \"uplink\"  Nickname: \"cpe-17\"\n"
            "       Mode: Infrastructure  Channel: 6  Access Point: 00:02:6f:01:02:03\n"
            "       TX Rate: 5.5Mb/s Fixed-rate  Link status: Associated\n"
            "       Signal quality: 80/92  Signal level: 180/255  Noise level: 20\n");

  RunResult none = VelkorAgainst(unit, {"-ci", "wlan9"});
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_EQ(none.out, "wlan9  No supported card inserted.\n");
}

TEST_F(WirelessFromUnit, AssociationsFromAnIndex) {
  Unitsim unit(kCards);
  RunResult all = VelkorAgainst(unit, {"-ai", "wlan1"});
  EXPECT_EQ(all.exitCode, 0);
  EXPECT_EQ(all.out, AssociationHeaderText() + kRow1 + kRow2 + kRow3);

  RunResult from2 = VelkorAgainst(unit, {"-ai", "wlan1", "2"});
  EXPECT_EQ(from2.exitCode, 0);
  EXPECT_EQ(from2.out, AssociationHeaderText() + kRow2 + kRow3);

  RunResult last = VelkorAgainst(unit, {"-ai", "wlan1", "3"});
  EXPECT_EQ(last.exitCode, 0);
  EXPECT_EQ(last.out, AssociationHeaderText() + kRow3);
}

TEST_F(WirelessFromUnit, AssociationDetails) {
  Unitsim unit(kCards);
  RunResult r = VelkorAgainst(unit, {"-ai", "wlan1", "-da"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            AssociationHeaderText() + kRow1 +
                "    rx:     5000000000 tx:           1234  client-side: 50   70   20            \n" +
                kRow2 +
                "    rx:             10 tx:             20  client-side: 30   50   20            \n" +
                kRow3 +
                "    rx:              0 tx:              0  client-side:  5   30   25            \n");
}

TEST_F(WirelessFromUnit, Refusals) {
  Unitsim unit(kCards);
  RunResult beyond = VelkorAgainst(unit, {"-ai", "wlan1", "4"});
  EXPECT_EQ(beyond.exitCode, 1);
  EXPECT_EQ(beyond.out, "wlan1  Association index is out of range. Only 3 associations present.\n");

  RunResult client = VelkorAgainst(unit, {"-ai", "wpci1"});
  EXPECT_EQ(client.exitCode, 1);
  EXPECT_EQ(client.out, "wpci1  Wireless card is not set as an Access Point.\n");

  RunResult none = VelkorAgainst(unit, {"-ai", "wlan9", "-s"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "wlan9  No supported card inserted in socket.\n");

  // The unit keeps serving after the refusals.
  EXPECT_EQ(VelkorAgainst(unit, {"-ci", "wlan9"}).exitCode, 0);
}

}  // namespace
}  // namespace e2e
