// The lab's SNMP side of a unit: what its agent serves, the pass_persist
// conversation, the snmpd configuration, and the server manners that the
// device manager's fallback meets (old and silent servers).
#include "snmp_agent.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "storage.h"
#include "test_client.h"
#include "test_description.h"
#include "test_server.h"

namespace unitsim {
namespace {

constexpr const char* kAccessPoint = R"(
[[unit]]
address = "10.9.9.1"
name = "ap"
hardware = "ARX-500"
firmware = "2.6.0"
build = "4802"
description = "Unit {firmware} build {build} [{hardware}]"
[[unit.card]]
device = "wpci1"
mac = "00:0C:42:17:00:01"
quality = 45
quality_max = 90
level = 100
noise = 60
channel = 36
rate = 240
[[unit.card.station]]
name = "one"
mac = "00:0C:42:AA:00:01"
ip = "10.9.9.17"
signal = 60
noise = 20
rate = 110
[[unit.card.station]]
name = "two"
mac = "00:0C:42:AA:00:02"
ip = "10.9.9.18"
signal = 50
noise = 21
rate = 60
[[unit.card]]
device = "wpci2"
mac = "00:0C:42:17:00:02"
)";

std::string Walk(const std::map<Oid, SnmpValue>& objects, const std::string& root) {
  std::string text;
  std::optional<Oid> base = ParseOid(root);
  for (const auto& [oid, value] : objects) {
    if (oid.size() >= base->size() && std::equal(base->begin(), base->end(), oid.begin())) {
      text += OidText(oid) + " " + value.type + " " + value.value + "\n";
    }
  }
  return text;
}

TEST(SnmpAgent, ServesTheDescriptionCardsAndStationsColumnByColumn) {
  LabDescription lab = test::Parse(kAccessPoint);
  Unit unit(lab.units[0]);
  std::map<Oid, SnmpValue> objects = AgentObjects(unit);
  EXPECT_EQ(Walk(objects, "1.3.6.1.2.1.1.1"),
            ".1.3.6.1.2.1.1.1.0 string Unit 2.6.0 build 4802 [ARX-500]\n");
  EXPECT_EQ(Walk(objects, "1.3.6.1.3.16313.1.25.2.1"),
            ".1.3.6.1.3.16313.1.25.2.1.1.1 string wpci1\n"
            ".1.3.6.1.3.16313.1.25.2.1.1.2 string wpci2\n"
            ".1.3.6.1.3.16313.1.25.2.1.2.1 octet 00 0C 42 17 00 01\n"
            ".1.3.6.1.3.16313.1.25.2.1.2.2 octet 00 0C 42 17 00 02\n"
            ".1.3.6.1.3.16313.1.25.2.1.3.1 integer 2\n"
            ".1.3.6.1.3.16313.1.25.2.1.3.2 integer 0\n"
            ".1.3.6.1.3.16313.1.25.2.1.4.1 integer 50\n"
            ".1.3.6.1.3.16313.1.25.2.1.4.2 integer 0\n"
            ".1.3.6.1.3.16313.1.25.2.1.5.1 integer -49\n"
            ".1.3.6.1.3.16313.1.25.2.1.5.2 integer -102\n"
            ".1.3.6.1.3.16313.1.25.2.1.6.1 integer -89\n"
            ".1.3.6.1.3.16313.1.25.2.1.6.2 integer -102\n"
            ".1.3.6.1.3.16313.1.25.2.1.7.1 integer 36\n"
            ".1.3.6.1.3.16313.1.25.2.1.7.2 integer 0\n");
  std::string table = Walk(objects, "1.3.6.1.3.16313.1.25.2.2");
  EXPECT_NE(table.find(".2.2.2.2 octet 00 0C 42 AA 00 02\n"), std::string::npos) << table;
  EXPECT_NE(table.find(".2.2.3.1 string 10.9.9.17\n"), std::string::npos);
  EXPECT_NE(table.find(".2.2.4.2 string two\n"), std::string::npos);
  EXPECT_NE(table.find(".2.2.8.1 integer 40\n"), std::string::npos);
  EXPECT_NE(table.find(".2.2.9.2 integer 6\n"), std::string::npos);
  EXPECT_NE(table.find(".2.2.10.2 integer 24\n"), std::string::npos);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 20);
}

TEST(SnmpAgent, PassPersistConversation) {
  LabDescription lab = test::Parse(kAccessPoint);
  std::istringstream in(
      "PING\n"
      "get\n.1.3.6.1.2.1.1.1.0\n"
      "getnext\n.1.3.6.1.2.1.1.1\n"
      "getnext\n.1.3.6.1.2.1.1.1.0\n"       // the end of the description's subtree
      "getnext\n.1.3.6.1.3.16313.1.25.2.1.7.2\n"
      "getnext\n.1.3.6.1.3.16313.1.25.2.2.10.2\n"
      "get\n.1.3.6.1.3.16313.1.25.2.1.9.9\n"
      "get\nnot an oid\n"
      "set\n.1.3.6.1.2.1.1.1.0\nstring x\n"
      "bogus\n"
      "\n"
      "PING\n");
  std::ostringstream out;
  ServePassPersist(in, out, [&] { return AgentObjects(Unit(lab.units[0])); });
  EXPECT_EQ(out.str(),
            "PONG\n"
            ".1.3.6.1.2.1.1.1.0\nstring\nUnit 2.6.0 build 4802 [ARX-500]\n"
            ".1.3.6.1.2.1.1.1.0\nstring\nUnit 2.6.0 build 4802 [ARX-500]\n"
            "NONE\n"
            ".1.3.6.1.3.16313.1.25.2.2.1.1\ninteger\n1\n"
            "NONE\n"
            "NONE\n"
            "NONE\n"
            "not-writable\n"
            "NONE\n");
}

TEST(SnmpAgent, AnInstalledUpgradeShowsInTheDescription) {
  std::filesystem::path state = std::filesystem::path(testing::TempDir()) / "agent-state";
  std::filesystem::remove_all(state);
  LabDescription lab = test::Parse(kAccessPoint);
  lab.units[0].settings.state = state;
  ASSERT_TRUE(SaveInstalledFirmware(lab.units[0], {"2.7.0", "5000"}));
  std::map<Oid, SnmpValue> objects = AgentObjects(Unit(lab.units[0]));
  EXPECT_EQ(objects[*ParseOid("1.3.6.1.2.1.1.1.0")].value, "Unit 2.7.0 build 5000 [ARX-500]");
}

TEST(SnmpAgent, ConfigurationsForTheUnitsWithSnmp) {
  LabDescription lab = test::Parse(R"(
[defaults]
community = "heron"
[[unit]]
address = "10.9.9.1"
name = "with"
snmp_description = "Linux zeb-platform {firmware}"
[[unit]]
address = "10.9.9.2"
name = "without"
snmp = false
)");
  EXPECT_EQ(lab.units[0].settings.snmpDescription, "Linux zeb-platform {firmware}");
  std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "snmpd-setup";
  std::filesystem::remove_all(dir);
  std::ostringstream listing;
  std::string error;
  ASSERT_TRUE(WriteSnmpdSetup(lab, dir, {"/opt/unitsim", "/labs/lab.toml"}, listing, error)) << error;
  EXPECT_EQ(listing.str(), "10.9.9.1 " + (dir / "10.9.9.1" / "snmpd.conf").string() + "\n");
  std::ifstream in(dir / "10.9.9.1" / "snmpd.conf");
  std::stringstream config;
  config << in.rdbuf();
  EXPECT_EQ(config.str(),
            "# snmpd for with; made by unitsim\n"
            "agentaddress udp:10.9.9.1:161\n"
            "rocommunity heron\n"
            "dontLogTCPWrappersConnects yes\n"
            "[snmp] persistentDir " + (dir / "10.9.9.1" / "persistent").string() + "\n"
            "pass_persist -p 1 .1.3.6.1.2.1.1.1 /opt/unitsim --snmp-agent 10.9.9.1 /labs/lab.toml\n"
            "pass_persist .1.3.6.1.3.16313.1.25.2 /opt/unitsim --snmp-agent 10.9.9.1 /labs/lab.toml\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "10.9.9.2"));
  EXPECT_FALSE(WriteSnmpdSetup(lab, dir, {"/opt/my unitsim", "/labs/lab.toml"}, listing, error));
  EXPECT_NE(error.find("blank"), std::string::npos);
  EXPECT_EQ(test::ErrorOf("[[unit]]\naddress = \"10.9.9.1\"\nname = \"x\"\nsnmp = 1\n"),
            "lab.toml:4: snmp must be true or false");
}

class ServerMannersTest : public test::ServerFixture {};

TEST_F(ServerMannersTest, AnOldServerRefusesTheReport) {
  Serve("[[unit]]\naddress = \"127.0.0.1\"\nname = \"old\"\nold_server = true\n");
  test::TestClient client(port_);
  ASSERT_EQ(client.Login("BlueOx"), 1);
  ASSERT_TRUE(client.Send(protocol::EncodeRequest(protocol::MakeRequest(protocol::kActionSystemInfo, 0, 0, 0, ""))));
  auto reply = client.ReadReply();
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->status, protocol::kStatusNotSupported);
}

TEST_F(ServerMannersTest, ASilentServerClosesBeforeItsGreeting) {
  Serve("[[unit]]\naddress = \"127.0.0.1\"\nname = \"mute\"\nsilent_server = true\n");
  test::TestClient client(port_);
  EXPECT_FALSE(client.ReadHello().has_value());
  EXPECT_TRUE(client.SeesClose());
}

}  // namespace
}  // namespace unitsim
