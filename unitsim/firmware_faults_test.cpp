// What a unit does with an image: the hardware check, and the faults of
// the field (a failing flash, a dropped upload, a unit that keeps its old
// firmware) and of far links (late replies, a slow link), at the wire.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "firmware_image.h"
#include "flash_messages.h"
#include "test_client.h"
#include "test_description.h"
#include "test_server.h"

namespace unitsim {
namespace {

using Clock = std::chrono::steady_clock;
using test::TestClient;

// What the client saw of an upgrade.
struct Upgrade {
  std::optional<std::uint8_t> afterUpload;  // with -a: the reply before the flashing
  std::vector<std::string> texts;           // the flashing display's text messages
  std::optional<std::uint8_t> final;        // nothing: the unit closed the connection
};

class FirmwareFaults : public test::ServerFixture {
 protected:
  void Start(const std::string& unitKeys) {
    state_ = std::filesystem::path(::testing::TempDir()) /
             ("unitsim-faults-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(state_);
    Serve("[defaults]\nflash_step_ms = 0\ninstall_uploads = true\nstate = \"" + state_.string() +
          "\"\n[[unit]]\naddress = \"10.9.9.9\"\nname = \"cpe\"\nhardware = \"ARX-200\"\n" +
          unitKeys);
  }
  void TearDown() override {
    test::ServerFixture::TearDown();
    std::filesystem::remove_all(state_);
  }

  Upgrade Send(const std::string& header, bool apply) {
    std::string image = header + std::string(20000, 'x');
    Upgrade seen;
    TestClient client(port_);
    EXPECT_EQ(client.Login("BlueOx"), 1);
    const std::uint8_t flags = apply ? protocol::kOptionApply : 0;
    client.Send(protocol::EncodeRequest(protocol::MakeRequest(
        protocol::kActionFirmware, static_cast<std::uint32_t>(image.size()), 0, flags, "")));
    auto first = client.ReadReply();
    EXPECT_TRUE(first && first->status == protocol::kStatusOk);
    for (std::size_t at = 0; at < image.size(); at += protocol::kBlockPayloadSize) {
      std::string_view piece = std::string_view(image).substr(at, protocol::kBlockPayloadSize);
      if (!client.Send(protocol::EncodeBlock(std::span(
              reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size())))) {
        break;
      }
    }
    auto reply = client.ReadReply();
    if (!apply || !reply || reply->status != protocol::kStatusOk) {
      if (reply) seen.final = reply->status;
      if (apply && reply) seen.afterUpload = reply->status;
      return seen;
    }
    seen.afterUpload = reply->status;
    for (;;) {
      std::array<std::uint8_t, protocol::kDataBlockSize> block;
      if (!client.Receive(block.data(), block.size())) return seen;
      protocol::FlashMessage message = protocol::ParseFlashMessage(std::string_view(
          reinterpret_cast<const char*>(block.data()) + 2, protocol::kBlockPayloadSize));
      if (message.kind == protocol::FlashMessage::kDone) break;
      if (message.kind == protocol::FlashMessage::kText) seen.texts.push_back(message.text);
    }
    if (auto final = client.ReadReply()) seen.final = final->status;
    return seen;
  }

  // The request log once it holds `text`: the unit writes a session's line
  // just after its last reply, when the client may already have it.
  std::string LogWith(const std::string& text) {
    std::string log = LogText();
    for (int i = 0; i < 500 && log.find(text) == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      log = LogText();
    }
    return log;
  }

  std::string Firmware() {
    return server_->unit(0).state.With([](const UnitStateData& d) { return d.firmware; });
  }

  std::filesystem::path state_;
};

constexpr std::uint8_t kOk = protocol::kStatusOk;
constexpr std::uint8_t kFailed = protocol::kStatusFailed;

TEST_F(FirmwareFaults, ImagesForOtherHardwareAreRefusedAfterTheUpload) {
  struct Case {
    const char* header;
    bool apply;
    std::optional<std::uint8_t> final;
    const char* firmware;
  };
  const Case cases[] = {
      {"UNITFW 2.7.0 5012 ARX-200\n", true, kOk, "2.7.0"},
      {"UNITFW 2.7.0 5012 arx-200\n", false, kOk, "2.7.0"},  // letter case aside
      {"UNITFW 2.7.0 5012\n", true, kOk, "2.7.0"},           // names no hardware
      {"UNITFW 2.7.0 5012 ARX-500\n", true, kFailed, "2.5.1"},
      {"UNITFW 2.7.0 5012 ARX-2000\n", false, kFailed, "2.5.1"},
  };
  for (const Case& c : cases) {
    Start("");
    Upgrade seen = Send(c.header, c.apply);
    EXPECT_EQ(seen.final, c.final) << c.header;
    EXPECT_EQ(Firmware(), c.firmware) << c.header;
    TearDown();
  }
  Start("");
  Send("UNITFW 2.7.0 5012 ARX-500\n", false);
  const std::string why = "image made for ARX-500, this unit is ARX-200";
  EXPECT_NE(LogWith(why).find(why), std::string::npos) << LogText();
}

TEST_F(FirmwareFaults, FaultsLeaveTheFirmwareAsItWas) {
  const std::string image = "UNITFW 2.7.0 5012 ARX-200\n";
  Start("flash_fails = true\n");
  Upgrade seen = Send(image, true);
  EXPECT_EQ(seen.afterUpload, kOk);
  EXPECT_EQ(seen.texts.back(), "Flash write failed at block 37");
  EXPECT_EQ(seen.final, kFailed);
  EXPECT_EQ(Send(image, false).final, kFailed);
  EXPECT_EQ(Firmware(), "2.5.1");
  TearDown();

  Start("keeps_old_firmware = true\n");
  EXPECT_EQ(Send(image, true).final, kOk);
  EXPECT_EQ(Send(image, false).final, kOk);
  EXPECT_EQ(Firmware(), "2.5.1");
  TearDown();

  Start("upload_drop_after_bytes = 5000\n");
  seen = Send(image, false);
  EXPECT_EQ(seen.final, std::nullopt);
  EXPECT_EQ(Firmware(), "2.5.1");
  // Login (34) and request (42) before the upload's 5000 bytes.
  EXPECT_NE(LogWith("received 5076 bytes").find("received 5076 bytes"), std::string::npos)
      << LogText();
}

TEST_F(FirmwareFaults, AFarUnitAnswersLateAndMovesDataAtItsLinkSpeed) {
  // 8000 kbit/s: a 1000 kB configuration takes one second.
  Start("reply_delay_ms = 150\nlink_kbit = 8000\nconfig_max_bytes = 2000000\n");
  Clock::time_point start = Clock::now();
  TestClient client(port_);
  ASSERT_EQ(client.Login("BlueOx"), 1);  // the hello and the verdict: two delays
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));

  const std::string data(1000000, 'c');
  start = Clock::now();
  client.Send(protocol::EncodeRequest(protocol::MakeRequest(
      protocol::kActionUploadConfig, static_cast<std::uint32_t>(data.size()), 0, 0, "")));
  ASSERT_TRUE(client.ReadReply());
  for (std::size_t at = 0; at < data.size(); at += protocol::kBlockPayloadSize) {
    std::string_view piece = std::string_view(data).substr(at, protocol::kBlockPayloadSize);
    ASSERT_TRUE(client.Send(protocol::EncodeBlock(
        std::span(reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size()))));
  }
  auto final = client.ReadReply();
  ASSERT_TRUE(final);
  EXPECT_EQ(final->status, kOk);
  // A generous range: this checks that pacing happens, not how well.
  const auto took = Clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(900));
  EXPECT_LE(took, std::chrono::seconds(5));
}

TEST(FaultKeys, AbsurdValuesAreRefusedWithFileLineAndKey) {
  const std::pair<const char*, const char*> cases[] = {
      {"link_kbit = 0", "lab.toml:4: link_kbit must be an integer from 1 to 10000000"},
      {"reply_delay_ms = -5", "lab.toml:4: reply_delay_ms must be an integer from 0 to 10000"},
      {"upload_drop_after_bytes = \"x\"",
       "lab.toml:4: upload_drop_after_bytes must be an integer from 0 to 4294967295"},
      {"flash_fails = 1", "lab.toml:4: flash_fails must be true or false"},
      {"keeps_old_firmware = \"yes\"", "lab.toml:4: keeps_old_firmware must be true or false"},
  };
  for (const auto& [line, message] : cases) {
    EXPECT_EQ(test::ErrorOf(std::string("[[unit]]\naddress = \"10.1.1.1\"\nname = \"u\"\n") + line +
                            "\n"),
              message);
  }
}

}  // namespace
}  // namespace unitsim
