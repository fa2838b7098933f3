// The live-state actions at the wire: malformed disconnect messages,
// refused association lists, and clients that leave in the middle.
#include <gtest/gtest.h>

#include <memory>

#include "server.h"
#include "test_client.h"
#include "test_server.h"
#include "user_sessions.h"
#include "wireless.h"

namespace unitsim {
namespace {

using test::TestClient;

constexpr const char* kLab = R"(
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
  void SetUp() override { Serve(kLab); }

  // A logged-in client whose request got its first reply.
  std::unique_ptr<TestClient> Request(std::uint8_t action, std::uint32_t value = 0,
                                      std::string_view device = "") {
    auto client = std::make_unique<TestClient>(port_);
    EXPECT_EQ(client->Login("BlueOx"), 1);
    EXPECT_TRUE(client->Send(velkor::EncodeRequest(velkor::MakeRequest(action, value, 0, 0, device))));
    auto first = client->ReadReply();
    EXPECT_TRUE(first.has_value());
    if (first) {
      EXPECT_EQ(first->status, velkor::kStatusOk);
    }
    return client;
  }

  // The PPP user names the unit lists now.
  std::vector<std::string> PppUsers() {
    auto client = Request(velkor::kActionListPpp);
    std::vector<std::string> users;
    for (;;) {
      std::array<std::uint8_t, velkor::kPppSessionRecordSize> bytes;
      if (!client->Receive(bytes.data(), bytes.size())) return {"broken"};
      velkor::PppSessionRecord record = velkor::DecodePppSession(bytes);
      if (record.end) break;
      users.push_back(record.user);
    }
    auto final = client->ReadReply();
    EXPECT_TRUE(final && final->status == velkor::kStatusOk);
    return users;
  }
};

TEST_F(LiveActionTest, OverlongUserNameIsRefused) {
  auto client = Request(velkor::kActionDisconnectPpp);
  std::uint8_t length[4];
  velkor::PutU32(length, 256);
  ASSERT_TRUE(client->Send(length));
  auto final = client->ReadReply();
  ASSERT_TRUE(final.has_value());
  EXPECT_EQ(final->status, velkor::kStatusFailed);
  EXPECT_TRUE(client->SeesClose());
  EXPECT_EQ(PppUsers(), std::vector<std::string>{"alice"});
}

TEST_F(LiveActionTest, MessagesCutShortEndNothing) {
  {
    auto client = Request(velkor::kActionDisconnectPpp);
    std::vector<std::uint8_t> message = velkor::EncodeUserName("alice");
    message.pop_back();
    ASSERT_TRUE(client->Send(message));
  }  // the client leaves one byte short
  {
    auto client = Request(velkor::kActionDisconnectHotspotIp);
    const std::uint8_t two[] = {10, 5};
    ASSERT_TRUE(client->Send(two));
  }
  EXPECT_EQ(PppUsers(), std::vector<std::string>{"alice"});
}

TEST_F(LiveActionTest, NameOfExactLengthEndsTheSession) {
  auto client = Request(velkor::kActionDisconnectPpp);
  ASSERT_TRUE(client->Send(velkor::EncodeUserName("alice")));
  auto final = client->ReadReply();
  ASSERT_TRUE(final.has_value());
  EXPECT_EQ(final->status, velkor::kStatusOk);
  EXPECT_TRUE(PppUsers().empty());
}

TEST_F(LiveActionTest, RefusedAssociationListsSendOnlyTheCard) {
  struct Case {
    const char* device;
    std::uint32_t index;
    std::uint8_t present;
  };
  for (Case c : {Case{"wlan1", 3, 1}, Case{"wlan9", 0, 0}}) {
    auto client = Request(velkor::kActionAssociations, c.index, c.device);
    std::array<std::uint8_t, velkor::kCardRecordSize> card;
    ASSERT_TRUE(client->Receive(card.data(), card.size()));
    EXPECT_EQ(velkor::DecodeCardRecord(card).present, c.present) << c.device;
    EXPECT_TRUE(client->SeesClose()) << c.device;
  }
}

TEST_F(LiveActionTest, AssociationsFromTheLastIndexCarryTheEndFlag) {
  auto client = Request(velkor::kActionAssociations, 2, "wlan1");
  std::array<std::uint8_t, velkor::kCardRecordSize> card;
  ASSERT_TRUE(client->Receive(card.data(), card.size()));
  EXPECT_EQ(velkor::DecodeCardRecord(card).clients, 2);
  std::array<std::uint8_t, velkor::kAssociationRecordSize> station;
  ASSERT_TRUE(client->Receive(station.data(), station.size()));
  velkor::AssociationRecord record = velkor::DecodeAssociationRecord(station);
  EXPECT_EQ(record.name, "two");
  EXPECT_EQ(record.end, 1);
  auto final = client->ReadReply();
  ASSERT_TRUE(final.has_value());
  EXPECT_EQ(final->status, velkor::kStatusOk);
}

TEST_F(LiveActionTest, AccessPointWithoutStationsEndsAtOnce) {
  auto client = Request(velkor::kActionAssociations, 0, "wlan2");
  std::array<std::uint8_t, velkor::kCardRecordSize> card;
  ASSERT_TRUE(client->Receive(card.data(), card.size()));
  EXPECT_EQ(velkor::DecodeCardRecord(card).clients, 0);
  std::array<std::uint8_t, velkor::kAssociationRecordSize> end;
  ASSERT_TRUE(client->Receive(end.data(), end.size()));
  EXPECT_EQ(velkor::DecodeAssociationRecord(end).end, 1);
  EXPECT_TRUE(client->ReadReply().has_value());
}

TEST_F(LiveActionTest, ThroughputClientsThatLeaveCostOnlyTheirConnection) {
  for (std::uint8_t action : {velkor::kActionReceiveThroughput, velkor::kActionTransmitThroughput}) {
    auto client = Request(action);
    std::vector<std::uint8_t> piece(1000, 0x33);
    if (action == velkor::kActionReceiveThroughput) {
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
