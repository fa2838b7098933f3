// The records of the wireless and session views and the small messages of
// the disconnects and the firmware progress, against bytes written out by
// hand from their layout tables.  Every field holds a distinct non-zero
// value, so a field that is shifted, swapped or of the wrong width shows;
// each record decodes back to the one it was encoded from.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "flash_messages.h"
#include "frames.h"
#include "golden.h"
#include "session_records.h"
#include "wireless_records.h"

namespace protocol {
namespace {

using golden::Bytes;
using golden::Fixed;
using golden::Hex;

TEST(GoldenRecords, CardRecord) {
  const auto bytes = Hex(
      "00 "                              // 0   not read
      "01 "                              // 1   present
      "14 "                              // 2   type 20, Atheros
      "02 "                              // 3   variant
      "00 "                              // 4   not read
      "03 04 05 "                        // 5   firmware 3.4.5
      "07 06 "                           // 8   clients 0x0607
      "03 "                              // 10  mode: master
      "a1 a2 a3 a4 a5 a6 "               // 11  MAC
      "00*33 "                           // 17  not read
      "63 6f 72 65 2d 61 70 00*26 "      // 50  ESSID "core-ap", 33 bytes
      "6e 69 63 6b 00*30 "               // 83  nickname "nick", 34 bytes
      "0b "                              // 117 channel 11
      "36 "                              // 118 rate 54
      "00 "                              // 119 not read
      "09 "                              // 120 rate control
      "00 00 00 00 "                     // 121 not read
      "06 "                              // 125 link state
      "18 17 16 15 "                     // 126 quality 0x15161718
      "1c 1b 1a 19 "                     // 130 quality maximum 0x191a1b1c
      "a0 ff ff ff "                     // 134 level -96
      "24 23 22 21 "                     // 138 level maximum 0x21222324
      "9b ff ff ff "                     // 142 noise -101
      "28 27 26 25 "                     // 146 noise maximum 0x25262728
      "2b 2a "                           // 150 miles 0x2a2b
      "2d 2c");                          // 152 hundredths 0x2c2d
  CardRecord card;
  card.present = 1;
  card.type = kCardAtheros;
  card.variant = 2;
  card.firmware = {3, 4, 5};
  card.clients = 0x0607;
  card.mode = kModeMaster;
  card.address = {0xa1, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6};
  card.essid = "core-ap";
  card.nickname = "nick";
  card.channel = 11;
  card.rate = 54;
  card.rateControl = 9;
  card.linkState = 6;
  card.quality = 0x15161718;
  card.qualityMax = 0x191a1b1c;
  card.level = -96;
  card.levelMax = 0x21222324;
  card.noise = -101;
  card.noiseMax = 0x25262728;
  card.miles = 0x2a2b;
  card.hundredths = 0x2c2d;
  EXPECT_EQ(Bytes(EncodeCardRecord(card)), bytes);

  CardRecord back = DecodeCardRecord(Fixed<kCardRecordSize>(bytes));
  EXPECT_EQ(back, card);
}

TEST(GoldenRecords, AssociationRecord) {
  const auto bytes = Hex(
      "00 "                                   // 0  not read
      "01 "                                   // 1  end flag
      "6c 61 70 74 6f 70 2d 37 00*24 "        // 2  name "laptop-7", 32 bytes
      "b1 b2 b3 b4 b5 b6 "                    // 34 MAC
      "2e "                                   // 40 Q
      "5a "                                   // 41 S
      "1f "                                   // 42 N
      "5b "                                   // 43 client's signal
      "1e "                                   // 44 client's noise
      "6c "                                   // 45 R, 108
      "0a 2a 17 0c "                          // 46 IP 10.42.23.12
      "08 07 06 05 04 03 02 01 "              // 50 received 0x0102030405060708
      "18 17 16 15 14 13 12 11 "              // 58 transmitted 0x1112131415161718
      "44 43 42 41");                         // 66 idle 0x41424344
  AssociationRecord record;
  record.end = 1;
  record.name = "laptop-7";
  record.mac = {0xb1, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6};
  record.quality = 0x2e;
  record.signal = 0x5a;
  record.noise = 0x1f;
  record.clientSignal = 0x5b;
  record.clientNoise = 0x1e;
  record.rate = 108;
  record.ip = {10, 42, 23, 12};
  record.received = 0x0102030405060708;
  record.transmitted = 0x1112131415161718;
  record.idle = 0x41424344;
  EXPECT_EQ(Bytes(EncodeAssociationRecord(record)), bytes);

  AssociationRecord back = DecodeAssociationRecord(Fixed<kAssociationRecordSize>(bytes));
  EXPECT_EQ(back, record);
}

TEST(GoldenRecords, SignedCountersKeepTheirSign) {
  AssociationRecord record;
  record.received = -2;
  record.idle = -1;
  auto bytes = Bytes(EncodeAssociationRecord(record));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 50, bytes.begin() + 58),
            Hex("fe ff*7"));
  AssociationRecord back = DecodeAssociationRecord(Fixed<kAssociationRecordSize>(bytes));
  EXPECT_EQ(back, record);
}

TEST(GoldenRecords, PppSessionRecord) {
  const auto bytes = Hex(
      "00 "                                       // 0   not read
      "02 "                                       // 1   end flag
      "61 6c 69 63 65 00*251 "                    // 2   user "alice", 256 bytes
      "70 70 70 6f 65 00*11 "                     // 258 type "pppoe", 16 bytes
      "70 70 70 33 00*4 "                         // 274 port "ppp3", 8 bytes
      "31 30 2e 34 32 2e 32 33 2e 34 30 00*9 "    // 282 address "10.42.23.40", 20 bytes
      "08 07 06 05 04 03 02 01 "                  // 302 received 0x0102030405060708
      "0c 0b 0a 09 "                              // 310 receive rate 0x090a0b0c
      "18 17 16 15 14 13 12 11 "                  // 314 transmitted 0x1112131415161718
      "1c 1b 1a 19");                             // 322 transmit rate 0x191a1b1c
  PppSessionRecord r;
  r.end = 2;
  r.user = "alice";
  r.type = "pppoe";
  r.port = "ppp3";
  r.address = "10.42.23.40";
  r.received = 0x0102030405060708;
  r.receiveRate = 0x090a0b0c;
  r.transmitted = 0x1112131415161718;
  r.transmitRate = 0x191a1b1c;
  EXPECT_EQ(Bytes(EncodePppSession(r)), bytes);

  PppSessionRecord back = DecodePppSession(Fixed<kPppSessionRecordSize>(bytes));
  EXPECT_EQ(back, r);
}

TEST(GoldenRecords, HotspotSessionRecord) {
  const auto bytes = Hex(
      "00 "                                                   // 0   not read
      "03 "                                                   // 1   end flag
      "62 6f 62 00*253 "                                      // 2   user "bob", 256 bytes
      "31 30 2e 34 32 2e 32 33 2e 34 31 00*5 "                // 258 address, 16 bytes
      "30 30 3a 31 31 3a 32 32 3a 33 33 3a 34 34 3a 35 35 00 "  // 274 MAC text, 18 bytes
      "24 23 22 21 "                                          // 292 received 0x21222324
      "00 00 00 00 "                                          // 296 not read
      "28 27 26 25 "                                          // 300 transmitted 0x25262728
      "00 00 00 00 "                                          // 304 not read
      "2c 2b 2a 29 "                                          // 308 online 0x292a2b2c
      "30 2f 2e 2d");                                         // 312 limit 0x2d2e2f30
  HotspotSessionRecord r;
  r.end = 3;
  r.user = "bob";
  r.address = "10.42.23.41";
  r.mac = "00:11:22:33:44:55";
  r.received = 0x21222324;
  r.transmitted = 0x25262728;
  r.online = 0x292a2b2c;
  r.limit = 0x2d2e2f30;
  EXPECT_EQ(Bytes(EncodeHotspotSession(r)), bytes);

  HotspotSessionRecord back = DecodeHotspotSession(Fixed<kHotspotSessionRecordSize>(bytes));
  EXPECT_EQ(back, r);
}

TEST(GoldenMessages, DisconnectMessages) {
  EXPECT_EQ(EncodeUserName("carol"), Hex("05 00 00 00 63 61 72 6f 6c"));
  EXPECT_EQ(EncodeUserName(""), Hex("00 00 00 00"));
  EXPECT_EQ(Bytes(EncodeAddressMessage(inet_addr("10.42.23.41"))), Hex("0a 2a 17 29"));
}

TEST(GoldenMessages, FlashProgressBlocks) {
  auto block = [](const std::string& text) {
    return Bytes(EncodeBlock(std::span(reinterpret_cast<const std::uint8_t*>(text.data()),
                                       text.size())));
  };
  // "1 0 128 256": boot ROM, writing, 128 of 256 units.
  EXPECT_EQ(block(FlashProgressText(1, 0, 128, 256)),
            Hex("0b 00 31 20 30 20 31 32 38 20 32 35 36 00*1449"));
  EXPECT_EQ(block(std::string(kFlashDone)), Hex("04 00 64 6f 6e 65 00*1456"));
}

}  // namespace
}  // namespace protocol
