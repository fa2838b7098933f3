#include "wireless.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "test_peer.h"
#include "text_format.h"
#include "text_row.h"

namespace velkor {
namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;
using testing::PeerEnd;
using testing::ScriptedPeer;

CardRecord AtherosMaster() {
  CardRecord card;
  card.present = 1;
  card.type = kCardAtheros;
  card.variant = 1;
  card.firmware = {2, 4, 11};
  card.clients = 2;
  card.mode = kModeMaster;
  card.address = {0x00, 0x0c, 0x42, 0x17, 0x00, 0x05};
  card.essid = "lab-ap";
  card.channel = 36;
  card.rate = 110;
  card.rateControl = 1;
  card.quality = 45;
  card.level = 100;
  card.noise = 60;
  card.miles = 1;
  card.hundredths = 5;
  return card;
}

CardRecord PrismClient() {
  CardRecord card;
  card.present = 1;
  card.type = kCardPrism;
  card.variant = 1;
  card.firmware = {1, 7, 4};
  card.mode = kModeInfrastructure;
  card.address = {0x00, 0x02, 0x6f, 0x01, 0x02, 0x03};
  card.essid = "uplink";
  card.nickname = "cpe-17";
  card.channel = 6;
  card.rate = 55;
  card.linkState = 6;
  card.quality = 80;
  card.qualityMax = 92;
  card.level = 180;
  card.levelMax = 255;
  card.noise = 20;
  card.miles = 3;  // not shown for Prism cards
  return card;
}

AssociationRecord Station() {
  AssociationRecord r;
  r.name = "cpe-north";
  r.mac = {0x00, 0x0c, 0x42, 0xaa, 0xbb, 0xcc};
  r.quality = 45;
  r.signal = 60;
  r.noise = 20;
  r.clientSignal = 70;
  r.clientNoise = 20;
  r.rate = 110;
  r.ip = {10, 42, 23, 17};
  r.received = 5000000000;
  r.transmitted = 1234;
  r.idle = 61;
  return r;
}

TEST(CardInfo, AtherosMasterShowsDistanceClientsAndDbm) {
  EXPECT_EQ(CardInfoText(AtherosMaster(), "wlan1"),
            "wlan1  Atheros 5212 with firmware v2.4.11, link distance 1.05 miles\n"
            "       IEEE 802.11-OFDM  ESSID: \"lab-ap\"  \n"
            "       Mode: Master AP  Channel: 36  Access Point: 00:0c:42:17:00:05\n"
            "       TX Rate: 11Mb/s Auto-rate fallback  Link status: Master  Clients: 2\n"
            "       Signal quality: 45  Signal level: -49dBm  Signal noise: -89dBm\n");
}

TEST(CardInfo, PrismClientShowsRawFiguresWithTheirMaximums) {
  EXPECT_EQ(CardInfoText(PrismClient(), "wpci1"),
            "wpci1  Intersil Prism 2.5 with firmware v1.7.4\n"
            "       IEEE 802.11-DS  ESSID: \"uplink\"  Nickname: \"cpe-17\"\n"
            "       Mode: Infrastructure  Channel: 6  Access Point: 00:02:6f:01:02:03\n"
            "       TX Rate: 5.5Mb/s Fixed-rate  Link status: Associated\n"
            "       Signal quality: 80/92  Signal level: 180/255  Noise level: 20\n");
}

TEST(CardInfo, ModeAndStatusWords) {
  CardRecord card = PrismClient();
  card.mode = kModeAdHoc;
  card.linkState = 5;
  card.variant = 0;
  std::string text = CardInfoText(card, "wlan2");
  EXPECT_NE(text.find("Intersil Prism II with"), std::string::npos);
  EXPECT_NE(text.find("Mode: Ad-hoc  Channel: 6  Cell: 00:02"), std::string::npos);
  EXPECT_NE(text.find("Link status: Not Associated\n"), std::string::npos);

  card.mode = 7;  // anything unknown reads as an access point, but not "Master"
  card.linkState = 4;
  text = CardInfoText(card, "wlan2");
  EXPECT_NE(text.find("Mode: Master AP  Channel: 6  Access Point:"), std::string::npos);
  EXPECT_NE(text.find("Link status: Associated\n"), std::string::npos);

  card.type = 99;
  EXPECT_EQ(CardInfoText(card, "wlan2").substr(0, 30), "wlan2  unknown with firmware v");
  card.type = kCardOrinoco;
  EXPECT_NE(CardInfoText(card, "wlan2").find("ORiNOCO with firmware v1.7.4, link distance 3.00"),
            std::string::npos);
  card.type = kCardTeletronics;
  EXPECT_NE(CardInfoText(card, "wlan2").find("Teletronics 2MB with firmware v1.7.4\n"),
            std::string::npos);
}

TEST(CardInfo, MissingCardIsOneLine) {
  CardRecord card = AtherosMaster();
  card.present = 0;
  EXPECT_EQ(CardInfoText(card, "wlan9"), "wlan9  No supported card inserted.\n");
}

TEST(CardInfo, TextsWithPercentSignsArePrintedAsTheyAre) {
  CardRecord card = AtherosMaster();
  card.essid = "%s%n%d";
  EXPECT_NE(CardInfoText(card, "wlan1").find("ESSID: \"%s%n%d\""), std::string::npos);
}

TEST(Levels, ClampsAndPrismConversion) {
  const std::pair<int, int> kDbm[] = {{30, -102}, {-5, -102}, {47, -102},
                                      {100, -49}, {138, -11}, {200, -11}};
  for (auto [level, dbm] : kDbm) EXPECT_EQ(LevelToDbm(level), dbm) << level;
  const std::pair<int, int> kPrismDbm[] = {{60, -40}, {99, -1}, {100, -102}, {120, -102}};
  for (auto [level, dbm] : kPrismDbm) EXPECT_EQ(PrismLevelToDbm(level), dbm) << level;
}

TEST(Levels, RateTexts) {
  const std::pair<int, const char*> kCases[] = {{55, "5.5"}, {60, "5.5"}, {110, "11"}, {20, "2"},
                                                {54, "5"},   {0, "0"},     {255, "25"}};
  for (auto [rate, text] : kCases) EXPECT_EQ(RateText(rate), text) << rate;
}

TEST(Levels, IdleTextsAtTheirBoundaries) {
  const std::pair<std::int32_t, const char*> kCases[] = {
      {0, "0s"},        {59, "59s"},      {60, "1:00m"},   {61, "1:01m"},
      {3599, "59:59m"}, {3600, "1:00h"},  {3660, "1:01h"}, {86399, "23:59h"},
      {86400, "1:00d"}, {86400 + 3600, "1:01d"}};
  for (auto [seconds, text] : kCases) EXPECT_EQ(IdleText(seconds), text) << seconds;
}

TEST(FormatText, KeepsLongTexts) {
  std::string longText(1000, 'x');
  EXPECT_EQ(FormatText("[%s] %d", longText.c_str(), -7), "[" + longText + "] -7");
  EXPECT_EQ(FormatText("%s", ""), "");
}

TEST(TextRow, RunsOnButNeverPastTheRow) {
  TextRow row;
  row.Put(2, "ab");
  EXPECT_EQ(row.UpToLastText(), "  ab");
  row.Put(76, "0123456789");
  EXPECT_EQ(row.Full().size(), 80u);
  EXPECT_EQ(row.Full().substr(74), "  0123");
  row.Put(80, "x");
  row.Put(500, "x");
  EXPECT_EQ(row.UpToLastText().size(), 80u);
}

TEST(AssociationRow, AtherosRowLinesUpUnderTheHeader) {
  std::string row = AssociationText(Station(), AtherosMaster(), 1, false);
  EXPECT_EQ(row,
            "  1 [cpe-north     ] 00:0c:42:aa:bb:cc 10.42.23.17      45   60   20 11   1:01m\n");
  EXPECT_EQ(row.size(), 80u);  // 79 characters and the newline
  std::string header = kAssociationHeader;
  EXPECT_EQ(header.find('Q'), row.find("45") + 1);
  EXPECT_EQ(header.find("Idle") + 4, row.size() - 1);
}

TEST(AssociationRow, OrinocoAndPrismConvertTheirLevels) {
  AssociationRecord r = Station();
  r.signal = 120;
  r.noise = 30;
  CardRecord card = AtherosMaster();
  card.type = kCardOrinoco;
  std::string row = AssociationText(r, card, 1, false);
  EXPECT_EQ(row.substr(56, 12), "45  -29 -102");
  card.type = kCardPrism;
  r.signal = 60;
  r.noise = 120;
  row = AssociationText(r, card, 1, false);
  EXPECT_EQ(row.substr(56, 12), "45  -40 -102");
}

TEST(AssociationRow, UnknownCardShowsNoQualityAndRawLevels) {
  CardRecord card = AtherosMaster();
  card.type = kCardTeletronics;
  std::string row = AssociationText(Station(), card, 1, false);
  EXPECT_EQ(row.substr(56, 12), "--   60   20");
}

TEST(AssociationRow, LongClientNamesAreCutWithTwoDots) {
  AssociationRecord r = Station();
  r.name = "abcdefghijklmnopqrst";  // 20 characters
  EXPECT_EQ(AssociationText(r, AtherosMaster(), 1, false).substr(4, 16), "[abcdefghijkl..]");
  r.name = "abcdefghijklmn";  // 14 characters fit
  EXPECT_EQ(AssociationText(r, AtherosMaster(), 1, false).substr(4, 16), "[abcdefghijklmn]");
  r.name = "abcdefghijklmnopqrstuvwxyz01234";  // the longest a record carries
  EXPECT_EQ(AssociationText(r, AtherosMaster(), 1, false).substr(4, 16), "[abcdefghijkl..]");
}

TEST(AssociationRow, WideValuesRunOnInsideTheRow) {
  AssociationRecord r = Station();
  r.quality = 255;
  r.idle = 2147483647;  // 24855:03d, two characters wider than its column
  r.ip = {255, 255, 255, 255};
  std::string row = AssociationText(r, AtherosMaster(), 12345, false);
  EXPECT_EQ(row.substr(0, 3), "123");
  EXPECT_EQ(row.substr(39, 15), "255.255.255.255");
  EXPECT_EQ(row.substr(56, 4), "255 ");
  // The idle text is cut at the row's end.
  EXPECT_EQ(row, row.substr(0, 72) + "24855:03\n");
  EXPECT_EQ(row.size(), 81u);
}

TEST(AssociationRow, DetailsRowShowsTenDigitCounterAndClientSide) {
  std::string text = AssociationText(Station(), AtherosMaster(), 1, true);
  std::string details = text.substr(text.find('\n') + 1);
  EXPECT_EQ(details,
            "    rx:     5000000000 tx:           1234  client-side: 50   70   20            \n");
}

TEST(AssociationRow, ClientSideMarginIsLimitedAndPrismUsesDbm) {
  AssociationRecord r = Station();
  r.clientSignal = 130;
  r.clientNoise = 10;
  CardRecord card = AtherosMaster();
  card.type = kCardPrism;  // client side converts like ORiNOCO, not like the S column
  std::string text = AssociationText(r, card, 1, true);
  std::string details = text.substr(text.find('\n') + 1);
  EXPECT_EQ(details.substr(56, 12), "92  -19 -102");
  EXPECT_EQ(details.size(), 81u);
}

TEST(Records, TextsWithoutTerminatorStayInsideTheirFields) {
  std::array<std::uint8_t, kCardRecordSize> card{};
  std::memset(card.data() + 17, 'X', 33);
  std::memset(card.data() + 50, 'E', 33);
  std::memset(card.data() + 83, 'N', 34);
  card[117] = 'C';
  CardRecord decoded = DecodeCardRecord(card);
  EXPECT_EQ(decoded.essid, std::string(33, 'E'));
  EXPECT_EQ(decoded.nickname, std::string(34, 'N'));

  std::array<std::uint8_t, kAssociationRecordSize> station{};
  std::memset(station.data() + 2, 'n', 32);
  station[34] = 'm';
  EXPECT_EQ(DecodeAssociationRecord(station).name, std::string(32, 'n'));
}

// The exchanges, against a scripted server on a socket pair.

TEST(CardExchange, PrintsTheCardAndLeavesTheFinalReply) {
  ScriptedPeer peer([](PeerEnd& server) {
    server.Write(EncodeCardRecord(AtherosMaster()));
    server.Write(EncodeReply(ReplyFrame{}));
  });
  Connection& connection = peer.client();
  CaptureStdout();
  EXPECT_TRUE(ShowCardInfo(connection, "wlan1"));
  EXPECT_TRUE(connection.ReadReply());
  EXPECT_EQ(GetCapturedStdout(), CardInfoText(AtherosMaster(), "wlan1"));
}

TEST(CardExchange, ShortRecordFailsSilently) {
  ScriptedPeer peer([](PeerEnd& server) {
    auto bytes = EncodeCardRecord(AtherosMaster());
    server.Write(std::span(bytes).first(100));
  });
  Connection& connection = peer.client();
  CaptureStdout();
  EXPECT_FALSE(ShowCardInfo(connection, "wlan1"));
  EXPECT_EQ(GetCapturedStdout(), "");
}

struct AssociationCase {
  CardRecord card;
  std::uint32_t index;
  int stations;
};

// Runs -ai against a server with the given card and stations numbered from
// the index; the last station carries the end flag.
std::string RunAssociations(const AssociationCase& c, bool& ok, bool details = false) {
  ScriptedPeer peer([&](PeerEnd& server) {
    server.Write(EncodeCardRecord(c.card));
    for (int i = 0; i < c.stations; ++i) {
      AssociationRecord r = Station();
      r.name = "station-" + std::to_string(i + 1);
      r.end = i + 1 == c.stations;
      server.Write(EncodeAssociationRecord(r));
    }
    server.Write(EncodeReply(ReplyFrame{}));
  });
  Connection& connection = peer.client();
  CaptureStdout();
  ok = ShowAssociations(connection, "wlan1", c.index, details);
  if (ok) ok = connection.ReadReply();
  return GetCapturedStdout();
}

TEST(AssociationExchange, ListsFromTheIndexToTheEndFlag) {
  CardRecord card = AtherosMaster();
  card.clients = 3;
  bool ok = false;
  std::string out = RunAssociations({card, 3, 1}, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(out.substr(0, out.find('\n') + 1), kAssociationHeader);
  EXPECT_EQ(out.substr(out.find('\n') + 1, 20), "  3 [station-1     ]");

  out = RunAssociations({card, 0, 3}, ok, true);
  EXPECT_TRUE(ok);
  EXPECT_NE(out.find("  1 [station-1"), std::string::npos);
  EXPECT_NE(out.find("  3 [station-3"), std::string::npos);
  EXPECT_NE(out.find("    rx:     5000000000"), std::string::npos);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 7);
}

TEST(AssociationExchange, RefusalsCarryTheDeviceName) {
  bool ok = true;
  CardRecord card = AtherosMaster();
  EXPECT_EQ(RunAssociations({card, 3, 0}, ok),
            "wlan1  Association index is out of range. Only 2 associations present.\n");
  EXPECT_FALSE(ok);

  card.mode = kModeInfrastructure;
  EXPECT_EQ(RunAssociations({card, 0, 0}, ok),
            "wlan1  Wireless card is not set as an Access Point.\n");
  EXPECT_FALSE(ok);

  card.present = 0;
  EXPECT_EQ(RunAssociations({card, 0, 0}, ok), "wlan1  No supported card inserted in socket.\n");
  EXPECT_FALSE(ok);
}

TEST(AssociationExchange, RecordCutShortKeepsPrintedRows) {
  ScriptedPeer peer([](PeerEnd& server) {
    server.Write(EncodeCardRecord(AtherosMaster()));
    server.Write(EncodeAssociationRecord(Station()));
    auto last = EncodeAssociationRecord(Station());
    server.Write(std::span(last).first(30));
  });
  Connection& connection = peer.client();
  CaptureStdout();
  EXPECT_FALSE(ShowAssociations(connection, "wlan1", 0, false));
  std::string out = GetCapturedStdout();
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2);
}

}  // namespace
}  // namespace velkor
