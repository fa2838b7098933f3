// The unit's side of the file transfers: description keys, the firmware
// header, stored items and the block streams.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "block_stream.h"
#include "description.h"
#include "firmware_image.h"
#include "frames.h"
#include "storage.h"
#include "test_description.h"

namespace unitsim {
namespace {

using test::ErrorOf;
using test::Parse;

TEST(TransferKeys, DefaultsAndOverrides) {
  LabDescription lab = Parse(R"(
[defaults]
config_max_bytes = 300000000
firmware_min_bytes = 4096
[[unit]]
address = "10.1.2.3"
name = "ap1"
support_drive = false
flash_step_ms = 0
flash_steps = 3
flash_bootrom = true
text_max_bytes = 1000
[[unit]]
address = "10.1.2.4"
name = "ap2"
)");
  const UnitSettings& a = lab.units[0].settings;
  EXPECT_EQ(a.configMaxBytes, 300000000u);
  EXPECT_EQ(a.firmwareMinBytes, 4096u);
  EXPECT_FALSE(a.supportDrive);
  EXPECT_EQ(a.flashStepMs, 0u);
  EXPECT_EQ(a.flashSteps, 3u);
  EXPECT_TRUE(a.flashBootrom);
  EXPECT_EQ(a.textMaxBytes, 1000u);
  const UnitSettings& b = lab.units[1].settings;
  EXPECT_TRUE(b.supportDrive);
  EXPECT_FALSE(b.flashBootrom);
  EXPECT_EQ(b.textMaxBytes, 1u << 20);
  EXPECT_EQ(b.firmwareMaxBytes, 64u << 20);
}

TEST(TransferKeys, WrongValuesNameTheKey) {
  std::string unit = "[[unit]]\naddress = \"10.1.2.3\"\nname = \"ap1\"\n";
  EXPECT_EQ(ErrorOf(unit + "support_drive = 1\n"), "lab.toml:4: support_drive must be true or false");
  EXPECT_EQ(ErrorOf(unit + "config_max_bytes = -1\n"),
            "lab.toml:4: config_max_bytes must be an integer from 0 to 4294967295");
  EXPECT_EQ(ErrorOf(unit + "flash_steps = 0\n"),
            "lab.toml:4: flash_steps must be an integer from 1 to 1000");
}

// The header line that a version makes, to read back.
std::string MakeImageHeader(const ImageVersion& version) {
  return "UNITFW " + version.version + " " + version.build +
         (version.hardware.empty() ? "" : " " + version.hardware) + "\n";
}

TEST(ImageHeader, ReadsVersionAndBuild) {
  auto v = ReadImageHeader("UNITFW 2.6.0 4802\n\x7f" "ELF...");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->version, "2.6.0");
  EXPECT_EQ(v->build, "4802");
  EXPECT_EQ(MakeImageHeader(*v), "UNITFW 2.6.0 4802\n");
  auto rc = ReadImageHeader("UNITFW 3.0-rc_1 b12\n");
  ASSERT_TRUE(rc);
  EXPECT_EQ(rc->version, "3.0-rc_1");
  EXPECT_EQ(rc->hardware, "");
  auto named = ReadImageHeader("UNITFW 2.7.0 5012 CPE-220\nimage");
  ASSERT_TRUE(named);
  EXPECT_EQ(named->build, "5012");
  EXPECT_EQ(named->hardware, "CPE-220");
  EXPECT_EQ(MakeImageHeader(*named), "UNITFW 2.7.0 5012 CPE-220\n");
}

TEST(ImageHeader, AnythingElseHasNone) {
  EXPECT_FALSE(ReadImageHeader(""));
  EXPECT_FALSE(ReadImageHeader("UNITFW"));
  EXPECT_FALSE(ReadImageHeader("UNITFW 2.6.0 4802"));  // cut before the LF
  EXPECT_FALSE(ReadImageHeader("unitfw 2.6.0 4802\n"));
  EXPECT_FALSE(ReadImageHeader("UNITFW  2.6.0 4802\n"));
  EXPECT_FALSE(ReadImageHeader("UNITFW 2.6.0\n"));
  EXPECT_FALSE(ReadImageHeader("UNITFW 2.6 0 48 02\n"));
  EXPECT_FALSE(ReadImageHeader("UNITFW 2.6.0 48/02\n"));
  EXPECT_FALSE(ReadImageHeader("UNITFW " + std::string(32, 'v') + " 1\n"));
  EXPECT_FALSE(ReadImageHeader("UNITFW 1 " + std::string(16, 'b') + "\n"));
  EXPECT_TRUE(ReadImageHeader("UNITFW " + std::string(31, 'v') + " " + std::string(15, 'b') + "\n"));
}

class StorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("unitsim-storage-" + std::to_string(::getpid()));
    std::filesystem::remove_all(root_);
    unit_.address = "10.1.2.3";
    unit_.name = "ap/1";
    unit_.settings.state = root_;
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  std::filesystem::path root_;
  UnitDescription unit_;
};

TEST_F(StorageTest, ItemsBySelector) {
  auto folder = root_ / "10.1.2.3_ap_1";
  EXPECT_EQ(UnitFolder(unit_), folder);
  EXPECT_EQ(StoredItem(unit_, protocol::kActionDownloadConfig, 0), folder / "config.dat");
  EXPECT_EQ(StoredItem(unit_, protocol::kActionUploadScript, 1), folder / "scripts" / "cbq");
  EXPECT_EQ(StoredItem(unit_, protocol::kActionDownloadScript, 7), folder / "scripts" / "dhcpd");
  EXPECT_EQ(StoredItem(unit_, protocol::kActionUploadPage, 32), folder / "pages" / "login.html");
  EXPECT_EQ(StoredItem(unit_, protocol::kActionDownloadPage, 38), folder / "pages" / "splash.html");
  EXPECT_FALSE(StoredItem(unit_, protocol::kActionDownloadScript, 0));
  EXPECT_FALSE(StoredItem(unit_, protocol::kActionDownloadScript, 8));
  EXPECT_FALSE(StoredItem(unit_, protocol::kActionUploadPage, 39));
  EXPECT_FALSE(StoredItem(unit_, protocol::kActionUploadPage, 31));
}

TEST_F(StorageTest, DefaultsAreWrittenOnceAndUploadsReplaceThem) {
  auto item = *StoredItem(unit_, protocol::kActionDownloadScript, 2);
  ASSERT_TRUE(EnsureStored(unit_, item));
  std::string first = DefaultContent(unit_, item);
  EXPECT_NE(first.find("fw script of ap/1"), std::string::npos);
  ASSERT_TRUE(StoreAtomically(item, "iptables -F\n"));
  ASSERT_TRUE(EnsureStored(unit_, item));  // keeps the upload
  std::ifstream in(item);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "iptables -F");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(item.parent_path()), {}), 1);
}

TEST_F(StorageTest, InstalledFirmwareSurvives) {
  EXPECT_FALSE(LoadInstalledFirmware(unit_));
  ASSERT_TRUE(SaveInstalledFirmware(unit_, {"2.6.0", "4802"}));
  auto back = LoadInstalledFirmware(unit_);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->version, "2.6.0");
  EXPECT_EQ(back->build, "4802");
}

// Blocks written by the test into one end of a socket pair, received from
// the other through a Channel.
class StreamTest : public ::testing::Test {
 protected:
  void Block(std::uint16_t length, char fill) {
    std::array<std::uint8_t, protocol::kDataBlockSize> b{};
    protocol::PutU16(b.data(), length);
    std::fill_n(b.begin() + 2, std::min<std::size_t>(length, protocol::kBlockPayloadSize), fill);
    written_ += std::string(b.begin(), b.end());
  }
  // Receives what Block() wrote, then starts afresh.
  BlockResult Receive(std::uint32_t total, std::string& got) {
    int fds[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    std::thread writer([&] {
      (void)!::send(fds[1], written_.data(), written_.size(), MSG_NOSIGNAL);
      ::shutdown(fds[1], SHUT_WR);
    });
    Channel channel(fds[0]);
    BlockResult r = ReceiveBlocks(channel, total, [&](const std::uint8_t* d, std::size_t n) {
      got.append(reinterpret_cast<const char*>(d), n);
      return true;
    });
    ::shutdown(fds[0], SHUT_RDWR);
    writer.join();
    ::close(fds[0]);
    ::close(fds[1]);
    written_.clear();
    return r;
  }
  std::string written_;
};

TEST_F(StreamTest, ShortAndFullBlocksAddUp) {
  for (int i = 0; i < 100; ++i) Block(1460, 'a');
  Block(1, 'b');
  Block(1459, 'c');  // a short block in the middle
  Block(1000, 'd');
  std::string got;
  EXPECT_EQ(Receive(100 * 1460 + 2460, got), BlockResult::kComplete);
  EXPECT_EQ(got.size(), 100u * 1460 + 2460);
  EXPECT_EQ(got.back(), 'd');
}

TEST_F(StreamTest, FaultsAreTold) {
  std::string got;
  Block(1460, 'a');
  EXPECT_EQ(Receive(3000, got), BlockResult::kBroken);

  Block(0, 'a');
  EXPECT_EQ(Receive(10, got), BlockResult::kMalformed);
}

TEST_F(StreamTest, BlockPastTheAnnouncedSize) {
  std::string got;
  Block(1460, 'a');
  EXPECT_EQ(Receive(1000, got), BlockResult::kOverrun);
  EXPECT_TRUE(got.empty());
}

TEST_F(StreamTest, MalformedLength) {
  std::string got;
  Block(1461, 'a');
  EXPECT_EQ(Receive(1000, got), BlockResult::kMalformed);
}

TEST(BlockStream, SendsWholeBlocks) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  std::string text(3000, 'x');
  text[2999] = 'y';
  Channel channel(fds[1]);
  ASSERT_TRUE(SendTextBlocks(channel, text));
  std::vector<std::uint8_t> bytes(3 * protocol::kDataBlockSize);
  ASSERT_EQ(::recv(fds[0], bytes.data(), bytes.size(), MSG_WAITALL),
            static_cast<ssize_t>(bytes.size()));
  EXPECT_EQ(protocol::GetU16(bytes.data()), 1460);
  EXPECT_EQ(protocol::GetU16(bytes.data() + 1462), 1460);
  EXPECT_EQ(protocol::GetU16(bytes.data() + 2924), 80);
  EXPECT_EQ(bytes[2924 + 2 + 79], 'y');
  EXPECT_EQ(bytes[2924 + 2 + 80], 0);  // the rest of the area is zero
  ::close(fds[0]);
  ::close(fds[1]);
}

}  // namespace
}  // namespace unitsim
