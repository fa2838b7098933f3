#include "inventory.h"

#include <gtest/gtest.h>

namespace halvex {
namespace {

// One unit of every kind the query tells apart.
DeviceTable Block() {
  DeviceTable table;
  auto unit = [&](int n, SnmpState snmp, ServerAnswer server, const char* firmware,
                  const char* build, const char* hardware) -> DeviceEntry& {
    DeviceEntry& e = table[n];
    e.alive = true;
    e.pingTime = n % 3;
    e.snmpState = snmp;
    e.serverAnswer = server;
    e.firmware = firmware;
    e.build = build;
    e.hardware = hardware;
    return e;
  };
  DeviceEntry& ap = unit(1, SnmpState::kAnswered, ServerAnswer::kNotAsked, "2.6.0", "4802", "ARX-500");
  ap.mac = "00 0C 42 17 01 01 ";
  ap.quality = "87";
  ap.signal = "-54";
  ap.noise = "-099";
  ap.linkDb = "23";
  ap.linkRx = "12";
  ap.linkTx = "24";
  unit(2, SnmpState::kAnswered, ServerAnswer::kNotAsked, "2.6.0", "4802", "ARX-500").mac = "MULTIPLE";
  unit(9, SnmpState::kNoAnswer, ServerAnswer::kReport, "2.4.9", "b12", "CPE \"110\", rev\xff");
  unit(17, SnmpState::kNoAnswer, ServerAnswer::kOldServer, "OLDVERSION", "", "");
  unit(33, SnmpState::kNoAnswer, ServerAnswer::kNoAnswer, "UNKNOWN", "", "");
  unit(200, SnmpState::kNoAnswer, ServerAnswer::kNotAsked, "VERSION 1.?.?", "", "XSCALE-ZEB");
  table[100].hardware = "not alive";
  return table;
}

TEST(Inventory, Csv) {
  EXPECT_EQ(InventoryCsv(InventoryRecords(Block(), "10.42.23.", false), false),
            "address,ping_ms,source,firmware,build,hardware\n"
            "10.42.23.1,1,snmp,2.6.0,4802,ARX-500\n"
            "10.42.23.2,2,snmp,2.6.0,4802,ARX-500\n"
            "10.42.23.9,0,velkor,2.4.9,b12,\"CPE \"\"110\"\", rev\xEF\xBF\xBD\"\n"
            "10.42.23.17,2,old,OLD VERSION,,\n"
            "10.42.23.33,0,unknown,UNKNOWN,,\n"
            "10.42.23.200,2,zeb,VERSION 1.?.?,,XSCALE-ZEB\n");
  std::vector<InventoryRecord> full = InventoryRecords(Block(), "10.42.23.", true);
  EXPECT_EQ(InventoryCsv({full[0], full[1]}, true),
            "address,ping_ms,source,firmware,build,hardware,mac,quality,signal,noise,db,rx,tx\n"
            "10.42.23.1,1,snmp,2.6.0,4802,ARX-500,000C42170101,87,-54,-99,23,12,24\n"
            "10.42.23.2,2,snmp,2.6.0,4802,ARX-500,MULTIPLE,,,,,,\n");
  EXPECT_EQ(InventoryCsv({}, false), "address,ping_ms,source,firmware,build,hardware\n");
}

TEST(Inventory, JsonNumbersAndNulls) {
  std::vector<InventoryRecord> records = InventoryRecords(Block(), "10.42.23.", true);
  std::string json = InventoryJson({records[0], records[2], records[3]});
  EXPECT_EQ(json,
            "[\n"
            "  {\"address\": \"10.42.23.1\", \"ping_ms\": 1, \"source\": \"snmp\", \"firmware\": "
            "\"2.6.0\", \"build\": 4802, \"hardware\": \"ARX-500\", \"mac\": \"000C42170101\", "
            "\"quality\": 87, \"signal\": -54, \"noise\": -99, \"db\": 23, \"rx\": 12, \"tx\": 24},\n"
            "  {\"address\": \"10.42.23.9\", \"ping_ms\": 0, \"source\": \"velkor\", \"firmware\": "
            "\"2.4.9\", \"build\": \"b12\", \"hardware\": \"CPE \\\"110\\\", rev\xEF\xBF\xBD\", "
            "\"mac\": null, \"quality\": null, \"signal\": null, \"noise\": null, \"db\": null, "
            "\"rx\": null, \"tx\": null},\n"
            "  {\"address\": \"10.42.23.17\", \"ping_ms\": 2, \"source\": \"old\", \"firmware\": "
            "\"OLD VERSION\", \"build\": null, \"hardware\": null, \"mac\": null, \"quality\": null, "
            "\"signal\": null, \"noise\": null, \"db\": null, \"rx\": null, \"tx\": null}\n"
            "]\n");
  EXPECT_EQ(InventoryJson({}), "[]\n");
}

}  // namespace
}  // namespace halvex
