#include "user_sessions.h"

#include <gtest/gtest.h>

#include <cstring>

#include "socket.h"
#include "test_peer.h"

namespace velkor {
namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;
using testing::PeerEnd;
using testing::ScriptedPeer;

PppSessionRecord PppUser() {
  PppSessionRecord r;
  r.user = "alice";
  r.type = "pppoe";
  r.port = "eth1";
  r.address = "10.5.0.12";
  r.received = 5000000000;
  r.receiveRate = 2048;
  r.transmitted = 123456;
  r.transmitRate = 1023;
  return r;
}

HotspotSessionRecord HotspotUser() {
  HotspotSessionRecord r;
  r.user = "bob";
  r.address = "10.5.50.2";
  r.mac = "00:11:22:33:44:55";
  r.received = 100;
  r.transmitted = 200;
  r.online = 3661;
  r.limit = 7200;
  return r;
}

TEST(DurationText, Boundaries) {
  EXPECT_EQ(DurationText(0), "0s");
  EXPECT_EQ(DurationText(-5), "0s");
  EXPECT_EQ(DurationText(1), "1s");
  EXPECT_EQ(DurationText(59), "59s");
  EXPECT_EQ(DurationText(60), "1m ");
  EXPECT_EQ(DurationText(3600), "1h ");
  EXPECT_EQ(DurationText(3661), "1h 1m 1s");
  EXPECT_EQ(DurationText(86400), "1d ");
  EXPECT_EQ(DurationText(86400 + 3661), "1d 1h 1m 1s");
  EXPECT_EQ(DurationText(86400 + 59), "1d 59s");
  EXPECT_EQ(DurationText(2147483647), "24855d 3h 14m 7s");
}

TEST(PppList, RowShowsTenDigitCounterAndRatesInKilobytes) {
  EXPECT_EQ(PppListHeader(), "TYPE  NAME             PORT   IP_ADDRESS      TRAFFIC\n");
  EXPECT_EQ(PppRowText(PppUser()),
            "pppoe alice            eth1   10.5.0.12       "
            "rx: 5000000000 (2 KB/s), tx: 123456 (0 KB/s)\n");
}

TEST(PppList, LongTextsPushTheRowRight) {
  PppSessionRecord r = PppUser();
  r.user = std::string(255, 'u');
  r.type = "pptp-long";
  r.received = -1;
  EXPECT_EQ(PppRowText(r), "pptp-long " + std::string(255, 'u') +
                               " eth1   10.5.0.12       rx: -1 (2 KB/s), tx: 123456 (0 KB/s)\n");
}

TEST(HotspotList, FullFormatWithAndWithoutLimit) {
  EXPECT_EQ(HotspotFullText(HotspotUser(), 1),
            "  1) bob - 10.5.50.2 (00:11:22:33:44:55)\n"
            "     rx: 100 tx: 200 online: 1h 1m 1s (left: 58m 59s)\n\n");
  HotspotSessionRecord r = HotspotUser();
  r.limit = 0;
  r.online = 3600;
  EXPECT_EQ(HotspotFullText(r, 12),
            " 12) bob - 10.5.50.2 (00:11:22:33:44:55)\n"
            "     rx: 100 tx: 200 online: 1h  \n\n");
}

TEST(HotspotList, ExceededLimitLeavesNothing) {
  HotspotSessionRecord r = HotspotUser();
  r.online = 7300;
  EXPECT_NE(HotspotFullText(r, 1).find("online: 2h 1m 40s (left: 0s)\n\n"), std::string::npos);
}

TEST(HotspotList, SimpleFormatIsOneLineWithUnsignedNumbers) {
  HotspotSessionRecord r = HotspotUser();
  r.received = 4294967295u;
  EXPECT_EQ(HotspotSimpleText(r), "bob, 10.5.50.2, 00:11:22:33:44:55, 4294967295, 200, 3661, 7200\n");
  r.limit = 0;
  EXPECT_EQ(HotspotSimpleText(r), "bob, 10.5.50.2, 00:11:22:33:44:55, 4294967295, 200, 3661, 0\n");
}

TEST(SessionRecords, FieldPositionsAndTextsWithoutTerminator) {
  auto bytes = EncodePppSession(PppUser());
  EXPECT_EQ(std::memcmp(bytes.data() + 258, "pppoe", 6), 0);
  EXPECT_EQ(std::memcmp(bytes.data() + 282, "10.5.0.12", 10), 0);
  EXPECT_EQ(GetI64(bytes.data() + 302), 5000000000);
  EXPECT_EQ(GetU32(bytes.data() + 322), 1023u);
  std::memset(bytes.data() + 2, 'u', 256);
  std::memset(bytes.data() + 258, 't', 16);
  std::memset(bytes.data() + 274, 'p', 8);
  std::memset(bytes.data() + 282, 'i', 20);
  PppSessionRecord ppp = DecodePppSession(bytes);
  EXPECT_EQ(ppp.user, std::string(256, 'u'));
  EXPECT_EQ(ppp.type, std::string(16, 't'));
  EXPECT_EQ(ppp.port, std::string(8, 'p'));
  EXPECT_EQ(ppp.address, std::string(20, 'i'));
  EXPECT_EQ(ppp.received, 5000000000);

  auto hot = EncodeHotspotSession(HotspotUser());
  EXPECT_EQ(GetU32(hot.data() + 292), 100u);
  EXPECT_EQ(GetU32(hot.data() + 300), 200u);
  EXPECT_EQ(GetU32(hot.data() + 308), 3661u);
  EXPECT_EQ(GetU32(hot.data() + 312), 7200u);
  std::memset(hot.data() + 258, 'a', 16);
  std::memset(hot.data() + 274, 'm', 18);
  HotspotSessionRecord h = DecodeHotspotSession(hot);
  EXPECT_EQ(h.user, "bob");
  EXPECT_EQ(h.address, std::string(16, 'a'));
  EXPECT_EQ(h.mac, std::string(18, 'm'));
  EXPECT_EQ(h.online, 3661u);
}

template <class Record, class Encode>
void SendList(PeerEnd& server, const std::vector<Record>& users, Encode encode) {
  for (const Record& r : users) server.Write(encode(r));
  Record end;
  end.end = 1;
  end.user = "not shown";
  server.Write(encode(end));
}

TEST(SessionLists, PppListEndingAtOnceShowsOnlyTheHeader) {
  ScriptedPeer peer(
      [](PeerEnd& server) { SendList<PppSessionRecord>(server, {}, EncodePppSession); });
  Connection& connection = peer.client();
  CaptureStdout();
  EXPECT_TRUE(ListPppSessions(connection));
  EXPECT_EQ(GetCapturedStdout(), PppListHeader());
}

TEST(SessionLists, PppListShowsEveryUserBeforeTheEnd) {
  ScriptedPeer peer([](PeerEnd& server) {
    SendList<PppSessionRecord>(server, {PppUser(), PppUser()}, EncodePppSession);
  });
  Connection& connection = peer.client();
  CaptureStdout();
  EXPECT_TRUE(ListPppSessions(connection));
  EXPECT_EQ(GetCapturedStdout(), PppListHeader() + PppRowText(PppUser()) + PppRowText(PppUser()));
}

TEST(SessionLists, HeaderStaysWhenNoRecordArrives) {
  ScriptedPeer peer([](PeerEnd&) {});
  Connection& connection = peer.client();
  CaptureStdout();
  EXPECT_FALSE(ListPppSessions(connection));
  EXPECT_EQ(GetCapturedStdout(), PppListHeader());
}

TEST(SessionLists, HotspotFormats) {
  for (bool simple : {false, true}) {
    ScriptedPeer peer([](PeerEnd& server) {
      SendList<HotspotSessionRecord>(server, {HotspotUser(), HotspotUser()}, EncodeHotspotSession);
    });
    Connection& connection = peer.client();
    CaptureStdout();
    EXPECT_TRUE(ListHotspotSessions(connection, simple));
    std::string expected = simple ? HotspotSimpleText(HotspotUser()) + HotspotSimpleText(HotspotUser())
                                  : HotspotFullText(HotspotUser(), 1) + HotspotFullText(HotspotUser(), 2);
    EXPECT_EQ(GetCapturedStdout(), expected);
  }
}

TEST(SessionLists, HotspotListEndingAtOnceShowsNothing) {
  ScriptedPeer peer(
      [](PeerEnd& server) { SendList<HotspotSessionRecord>(server, {}, EncodeHotspotSession); });
  Connection& connection = peer.client();
  CaptureStdout();
  EXPECT_TRUE(ListHotspotSessions(connection, false));
  EXPECT_EQ(GetCapturedStdout(), "");
}

TEST(SessionLists, RecordCutShortFailsAfterTheRowsShown) {
  ScriptedPeer peer([](PeerEnd& server) {
    server.Write(EncodeHotspotSession(HotspotUser()));
    auto cut = EncodeHotspotSession(HotspotUser());
    server.Write(std::span(cut).first(315));
  });
  Connection& connection = peer.client();
  CaptureStdout();
  EXPECT_FALSE(ListHotspotSessions(connection, true));
  EXPECT_EQ(GetCapturedStdout(), HotspotSimpleText(HotspotUser()));
}

TEST(Disconnect, UserNameOf255CharactersIs259Bytes) {
  std::string name(255, 'n');
  std::vector<std::uint8_t> received;
  {
    ScriptedPeer peer([&](PeerEnd& server) { received = server.ReadUpTo(1000); });
    Connection& connection = peer.client();
    EXPECT_TRUE(SendUserName(connection, name));
    peer.CloseClientWrites();
    peer.Join();
  }
  ASSERT_EQ(received.size(), 259u);
  EXPECT_EQ(std::vector<std::uint8_t>(received.begin(), received.begin() + 4),
            (std::vector<std::uint8_t>{0xFF, 0x00, 0x00, 0x00}));
  EXPECT_EQ(std::string(received.begin() + 4, received.end()), name);
}

TEST(Disconnect, AddressGoesFirstNumberFirst) {
  std::vector<std::uint8_t> received;
  {
    ScriptedPeer peer([&](PeerEnd& server) { received = server.ReadUpTo(100); });
    Connection& connection = peer.client();
    EXPECT_TRUE(SendHotspotAddress(connection, net::ParseDotted("10.1.2.3")));
    peer.CloseClientWrites();
    peer.Join();
  }
  EXPECT_EQ(received, (std::vector<std::uint8_t>{10, 1, 2, 3}));
}

TEST(Disconnect, ClosedPeerGivesTheSendMessages) {
  ScriptedPeer peer([](PeerEnd&) {});
  peer.Join();
  Connection& connection = peer.client();
  CaptureStdout();
  EXPECT_FALSE(SendUserName(connection, "alice"));
  EXPECT_FALSE(SendHotspotAddress(connection, net::ParseDotted("10.1.2.3")));
  EXPECT_EQ(GetCapturedStdout(),
            "unable to send ppp username to server\n"
            "unable to send hotspot ipaddr to server\n");
}

}  // namespace
}  // namespace velkor
