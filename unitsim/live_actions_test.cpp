// The live-state actions at the wire: malformed disconnect messages,
// refused association lists, and clients that leave in the middle.
#include <gtest/gtest.h>

#include <memory>

#include "server.h"
#include "test_client.h"
#include "test_server.h"
#include "session_records.h"
#include "wireless_records.h"

namespace unitsim {
namespace {

using test::TestClient;

constexpr const char* kLiveLab = R"(
[[unit]]
address = "10.9.9.9"
name = "lab-ap"
counters_run = false
[[unit.card]]
device = "wlan1"
mode = "master"
[[unit.card.station]]
name = "one"
[[unit.card.station]]
name = "two"
[[unit.card]]
device = "wlan2"
[[unit.ppp]]
user = "alice"
)";

class LiveActionTest : public test::ServerFixture {
 protected:
  void SetUp() override { Serve(kLiveLab); }

  // A logged-in client whose request got its first reply.
  std::unique_ptr<TestClient> Request(std::uint8_t action, std::uint32_t value = 0,
                                      std::string_view device = "") {
    auto client = std::make_unique<TestClient>(port_);
    EXPECT_EQ(client->Login("BlueOx"), 1);
    EXPECT_TRUE(client->Send(protocol::EncodeRequest(protocol::MakeRequest(action, value, 0, 0, device))));
    auto first = client->ReadReply();
    EXPECT_TRUE(first.has_value());
    if (first) {
      EXPECT_EQ(first->status, protocol::kStatusOk);
    }
    return client;
  }

  // The PPP user names the unit lists now.
  std::vector<std::string> PppUsers() {
    auto client = Request(protocol::kActionListPpp);
    std::vector<std::string> users;
    for (;;) {
      std::array<std::uint8_t, protocol::kPppSessionRecordSize> bytes;
      if (!client->Receive(bytes.data(), bytes.size())) return {"broken"};
      protocol::PppSessionRecord record = protocol::DecodePppSession(bytes);
      if (record.end) break;
      users.push_back(record.user);
    }
    auto final = client->ReadReply();
    EXPECT_TRUE(final && final->status == protocol::kStatusOk);
    return users;
  }
};

TEST_F(LiveActionTest, OverlongUserNameIsRefused) {
  auto client = Request(protocol::kActionDisconnectPpp);
  std::uint8_t length[4];
  protocol::PutU32(length, 256);
  ASSERT_TRUE(client->Send(length));
  auto final = client->ReadReply();
  ASSERT_TRUE(final.has_value());
  EXPECT_EQ(final->status, protocol::kStatusFailed);
  EXPECT_TRUE(client->SeesClose());
  EXPECT_EQ(PppUsers(), std::vector<std::string>{"alice"});
}

TEST_F(LiveActionTest, MessagesCutShortEndNothing) {
  {
    auto client = Request(protocol::kActionDisconnectPpp);
    std::vector<std::uint8_t> message = protocol::EncodeUserName("alice");
    message.pop_back();
    ASSERT_TRUE(client->Send(message));
  }  // the client leaves one byte short
  {
    auto client = Request(protocol::kActionDisconnectHotspotIp);
    const std::uint8_t two[] = {10, 5};
    ASSERT_TRUE(client->Send(two));
  }
  EXPECT_EQ(PppUsers(), std::vector<std::string>{"alice"});
}

TEST_F(LiveActionTest, NameOfExactLengthEndsTheSession) {
  auto client = Request(protocol::kActionDisconnectPpp);
  ASSERT_TRUE(client->Send(protocol::EncodeUserName("alice")));
  auto final = client->ReadReply();
  ASSERT_TRUE(final.has_value());
  EXPECT_EQ(final->status, protocol::kStatusOk);
  EXPECT_TRUE(PppUsers().empty());
}

TEST_F(LiveActionTest, RefusedAssociationListsSendOnlyTheCard) {
  struct Case {
    const char* device;
    std::uint32_t index;
    std::uint8_t present;
  };
  for (Case c : {Case{"wlan1", 3, 1}, Case{"wlan9", 0, 0}}) {
    auto client = Request(protocol::kActionAssociations, c.index, c.device);
    std::array<std::uint8_t, protocol::kCardRecordSize> card;
    ASSERT_TRUE(client->Receive(card.data(), card.size()));
    EXPECT_EQ(protocol::DecodeCardRecord(card).present, c.present) << c.device;
    EXPECT_TRUE(client->SeesClose()) << c.device;
  }
}

TEST_F(LiveActionTest, AssociationsFromTheLastIndexCarryTheEndFlag) {
  auto client = Request(protocol::kActionAssociations, 2, "wlan1");
  std::array<std::uint8_t, protocol::kCardRecordSize> card;
  ASSERT_TRUE(client->Receive(card.data(), card.size()));
  EXPECT_EQ(protocol::DecodeCardRecord(card).clients, 2);
  std::array<std::uint8_t, protocol::kAssociationRecordSize> station;
  ASSERT_TRUE(client->Receive(station.data(), station.size()));
  protocol::AssociationRecord record = protocol::DecodeAssociationRecord(station);
  EXPECT_EQ(record.name, "two");
  EXPECT_EQ(record.end, 1);
  auto final = client->ReadReply();
  ASSERT_TRUE(final.has_value());
  EXPECT_EQ(final->status, protocol::kStatusOk);
}

TEST_F(LiveActionTest, AccessPointWithoutStationsEndsAtOnce) {
  auto client = Request(protocol::kActionAssociations, 0, "wlan2");
  std::array<std::uint8_t, protocol::kCardRecordSize> card;
  ASSERT_TRUE(client->Receive(card.data(), card.size()));
  EXPECT_EQ(protocol::DecodeCardRecord(card).clients, 0);
  std::array<std::uint8_t, protocol::kAssociationRecordSize> end;
  ASSERT_TRUE(client->Receive(end.data(), end.size()));
  EXPECT_EQ(protocol::DecodeAssociationRecord(end).end, 1);
  EXPECT_TRUE(client->ReadReply().has_value());
}

TEST_F(LiveActionTest, ThroughputClientsThatLeaveCostOnlyTheirConnection) {
  for (std::uint8_t action : {protocol::kActionReceiveThroughput, protocol::kActionTransmitThroughput}) {
    auto client = Request(action);
    std::vector<std::uint8_t> piece(1000, 0x33);
    if (action == protocol::kActionReceiveThroughput) {
      ASSERT_TRUE(client->Receive(piece.data(), piece.size()));
    } else {
      ASSERT_TRUE(client->Send(piece));
    }
    client->Close();
  }
  EXPECT_EQ(PppUsers(), std::vector<std::string>{"alice"});
}

}  // namespace
}  // namespace unitsim
