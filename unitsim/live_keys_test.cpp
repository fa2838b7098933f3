#include "live_keys.h"

#include <gtest/gtest.h>

#include "live_state.h"
#include "test_description.h"

namespace unitsim {
namespace {

// A lab of one unit with the given keys after its address and name.
std::string OneUnit(std::string_view unitKeys) {
  return "[[unit]]\naddress = \"10.1.2.3\"\nname = \"ap1\"\n" + std::string(unitKeys);
}

LiveDescription Live(std::string_view unitKeys) {
  return test::Parse(OneUnit(unitKeys)).units.at(0).settings.live;
}

std::string UnitErrorOf(std::string_view unitKeys) { return test::ErrorOf(OneUnit(unitKeys)); }

TEST(LiveKeys, CardsWithStations) {
  LiveDescription live = Live(R"(
throughput_limit_kbit = 20000
[[unit.card]]
device = "wlan1"
type = "atheros"
variant = 1
firmware = "2.4.11"
mac = "00:0C:42:17:00:05"
essid = "lab-ap"
channel = 36
rate = 110
auto_rate = false
quality = 45
level = 100
noise_max = -3
distance = 1.05
[[unit.card.station]]
name = "cpe-north"
mac = "00:0c:42:aa:bb:cc"
ip = "10.42.23.17"
rx = 5000000000
idle = 61
[[unit.card.station]]
name = "cpe-south"
[[unit.card]]
device = "wpci1"
type = 2
mode = "infrastructure"
link_state = 6
)");
  EXPECT_EQ(live.throughputLimitKbit, 20000u);
  ASSERT_EQ(live.cards.size(), 2u);
  const CardDescription& ap = live.cards[0];
  EXPECT_EQ(ap.device, "wlan1");
  EXPECT_EQ(ap.card.present, 1);
  EXPECT_EQ(ap.card.type, protocol::kCardAtheros);
  EXPECT_EQ(ap.card.firmware, (std::array<std::uint8_t, 3>{2, 4, 11}));
  EXPECT_EQ(ap.card.mode, protocol::kModeMaster);
  EXPECT_EQ(ap.card.address, (std::array<std::uint8_t, 6>{0x00, 0x0c, 0x42, 0x17, 0x00, 0x05}));
  EXPECT_EQ(ap.card.rateControl, 0);
  EXPECT_EQ(ap.card.noiseMax, -3);
  EXPECT_EQ(ap.card.miles, 1);
  EXPECT_EQ(ap.card.hundredths, 5);
  EXPECT_EQ(ap.card.clients, 2);  // from the stations
  ASSERT_EQ(ap.stations.size(), 2u);
  EXPECT_EQ(ap.stations[0].mac[5], 0xcc);
  EXPECT_EQ(ap.stations[0].ip, (std::array<std::uint8_t, 4>{10, 42, 23, 17}));
  EXPECT_EQ(ap.stations[0].received, 5000000000);
  EXPECT_EQ(ap.stations[1].name, "cpe-south");

  const CardDescription* client = FindCard(live, "wpci1");
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(client->card.type, protocol::kCardPrism);
  EXPECT_EQ(client->card.mode, protocol::kModeInfrastructure);
  EXPECT_EQ(client->card.clients, 0);
  EXPECT_EQ(FindCard(live, "wlan2"), nullptr);
}

TEST(LiveKeys, SessionsAndDefaults) {
  std::string text = R"(
[defaults]
counters_run = false
[[defaults.ppp]]
user = "shared"
[[unit]]
address = "10.0.0.1"
name = "one"
[[unit]]
address = "10.0.0.2"
name = "two"
[[unit.ppp]]
user = "alice"
port = "eth1"
ip = "10.5.0.12"
rx_rate = 2048
[[unit.hotspot]]
user = "bob"
ip = "10.5.50.2"
online = 3661
limit = 7200
)";
  LabDescription lab = test::Parse(text);
  const LiveDescription& one = lab.units[0].settings.live;
  const LiveDescription& two = lab.units[1].settings.live;
  EXPECT_FALSE(one.countersRun);
  ASSERT_EQ(one.ppp.size(), 1u);
  EXPECT_EQ(one.ppp[0].record.user, "shared");
  EXPECT_EQ(one.ppp[0].record.type, "pppoe");
  ASSERT_EQ(two.ppp.size(), 1u);  // the unit's own list replaces the shared one
  EXPECT_EQ(two.ppp[0].record.user, "alice");
  EXPECT_EQ(two.ppp[0].record.receiveRate, 2048u);
  ASSERT_EQ(two.hotspot.size(), 1u);
  EXPECT_EQ(two.hotspot[0].record.limit, 7200u);
  EXPECT_TRUE(one.hotspot.empty());
}

TEST(LiveKeys, MistakesNameTheLineAndTheKey) {
  EXPECT_EQ(UnitErrorOf("[[unit.card]]\nessid = \"x\"\n"), "lab.toml:4: [[unit.card]] has no device");
  EXPECT_EQ(UnitErrorOf("[[unit.card]]\ndevice = \"wlan1\"\nspeed = 3\n"),
            "lab.toml:6: unknown key 'speed' in [[unit.card]]");
  EXPECT_EQ(UnitErrorOf("[[unit.card]]\ndevice = \"wlan1\"\nmode = \"bridge\"\n"),
            "lab.toml:6: mode must be one of adhoc, infrastructure, master or a number 0-255");
  EXPECT_EQ(UnitErrorOf("[[unit.card]]\ndevice = \"wlan1\"\nmac = \"00:0C:42\"\n"),
            "lab.toml:6: mac must be a MAC address like 00:0C:42:17:00:05");
  EXPECT_EQ(UnitErrorOf("[[unit.card]]\ndevice = \"wlan1\"\nfirmware = \"1.7\"\n"),
            "lab.toml:6: firmware must be three numbers 0-255 like \"1.7.4\"");
  EXPECT_EQ(UnitErrorOf("[[unit.card]]\ndevice = \"wlan1\"\nessid = \"" + std::string(33, 'e') + "\"\n"),
            "lab.toml:6: essid must be at most 32 bytes");
  EXPECT_EQ(UnitErrorOf("[[unit.card]]\ndevice = \"wlan1\"\n[[unit.card]]\ndevice = \"wlan1\"\n"),
            "lab.toml:4: device wlan1 is described twice");
  EXPECT_EQ(UnitErrorOf("[[unit.card]]\ndevice = \"wlan1\"\n[[unit.card.station]]\nip = \"10.1.2\"\n"),
            "lab.toml:7: ip must be a dotted IPv4 address");
  EXPECT_EQ(UnitErrorOf("[[unit.hotspot]]\nuser = \"bob\"\n"), "lab.toml:4: [[unit.hotspot]] has no ip");
  EXPECT_EQ(UnitErrorOf("card = 3\n"), "lab.toml:4: card is written as [[unit.card]] tables");
  EXPECT_EQ(UnitErrorOf("throughput_limit_kbit = -1\n"),
            "lab.toml:4: throughput_limit_kbit must be an integer from 0 to 100000000");
  EXPECT_EQ(UnitErrorOf("[[unit.card]]\ndevice = \"wlan1\"\ndistance = -1.0\n"),
            "lab.toml:6: distance must be a number of miles from 0 to 65535.99");
}

TEST(LiveState, CountersGrowWithTheirRates) {
  PppDescription ppp;
  ppp.record.received = 1000;
  ppp.record.receiveRate = 2048;
  ppp.record.transmitted = 5;
  EXPECT_EQ(PppAt(ppp, 2.5).received, 1000 + 5120);
  EXPECT_EQ(PppAt(ppp, 2.5).transmitted, 5);

  HotspotDescription hot;
  hot.record.received = 4294967000u;
  hot.receiveRate = 100;
  hot.record.online = 60;
  protocol::HotspotSessionRecord later = HotspotAt(hot, 3.9);
  EXPECT_EQ(later.received, 94u);  // wraps like the unit's 32-bit counter
  EXPECT_EQ(later.online, 63u);
}

TEST(LiveState, DisconnectsRemoveEveryMatch) {
  LiveDescription live;
  live.ppp.resize(3);
  live.ppp[0].record.user = "alice";
  live.ppp[1].record.user = "bob";
  live.ppp[2].record.user = "alice";
  live.hotspot.resize(2);
  live.hotspot[0].record.user = "carol";
  live.hotspot[0].record.address = "10.5.50.2";
  live.hotspot[1].record.user = "dave";
  live.hotspot[1].record.address = "10.5.50.3";
  LiveSessions sessions = StartSessions(live, std::chrono::steady_clock::now());
  EXPECT_EQ(DisconnectPpp(sessions, "alice"), 2u);
  EXPECT_EQ(DisconnectPpp(sessions, "alice"), 0u);
  EXPECT_EQ(DisconnectPpp(sessions, "Bob"), 0u);
  EXPECT_EQ(DisconnectHotspotUser(sessions, "dave"), 1u);
  EXPECT_EQ(DisconnectHotspotAddress(sessions, "10.5.50.3"), 0u);
  EXPECT_EQ(DisconnectHotspotAddress(sessions, "10.5.50.2"), 1u);
  EXPECT_EQ(sessions.ppp.size(), 1u);
  EXPECT_TRUE(sessions.hotspot.empty());
}

}  // namespace
}  // namespace unitsim
