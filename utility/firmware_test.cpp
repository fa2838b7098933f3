#include "firmware.h"

#include <gtest/gtest.h>

#include "progress.h"
#include "run_output.h"
#include "test_peer.h"

namespace velkor {
namespace {

using testing::PeerEnd;
using testing::ScriptedPeer;

std::function<void(PeerEnd&)> Messages(std::vector<std::string> texts, bool closeEarly = false) {
  return [=](PeerEnd& peer) {
    for (const auto& t : texts) peer.SendBlock(t, 0);  // length is not consulted
    if (closeEarly) peer.Close();
  };
}

std::string Display(std::vector<std::string> texts, bool closeEarly = false) {
  ScriptedPeer peer(Messages(std::move(texts), closeEarly));
  Progress progress;
  ::testing::internal::CaptureStdout();
  ShowFlashProgress(peer.client(), progress);
  return ::testing::internal::GetCapturedStdout();
}

TEST(ShowFlashProgress, FlashThenVerify) {
  std::string out = Display(
      {"0 0 0 100", "0 0 50 100", "0 0 100 100", "0 1 0 100", "0 1 100 100", "done"});
  EXPECT_EQ(out, "Flashing Firmware:\n" + ProgressLine(0, 100) + ProgressLine(50, 100) +
                     ProgressLine(100, 100) + "\n\nVerifying Firmware:\n" + ProgressLine(0, 100) +
                     ProgressLine(100, 100) + "\n\n");
}

TEST(ShowFlashProgress, BootRomHeadings) {
  std::string out = Display({"1 0 0 10", "1 1 0 10", "done"});
  EXPECT_EQ(out, "Flashing Bootrom:\n" + ProgressLine(0, 10) + "\n\nVerifying Bootrom:\n" +
                     ProgressLine(0, 10) + "\n\n");
}

TEST(ShowFlashProgress, Texts) {
  // Before any heading a text has no blank lines before it; after one, two.
  std::string out = Display({"Erasing flash", "0 0 0 4", "Done", "5 0", "done"});
  EXPECT_EQ(out, "Erasing flash\nFlashing Firmware:\n" + ProgressLine(0, 4) +
                     "\n\nDone\n\n\n5 0\n\n");
}

TEST(ShowFlashProgress, EndsWhenTheConnectionBreaks) {
  EXPECT_EQ(Display({"0 0 0 100", "0 0 10 100"}, true),
            "Flashing Firmware:\n" + ProgressLine(0, 100) + ProgressLine(10, 100) + "\n\n");
  EXPECT_EQ(Display({"Writing"}, true), "Writing\n\n");
  EXPECT_EQ(Display({}, true), "");
}

// The display takes no notice of silent mode (UploadFirmware below shows it
// in a silent run).
TEST(ShowFlashProgress, ShownInSilentMode) {
  std::string out = Display({"0 0 0 2", "0 0 2 2", "done"});
  EXPECT_EQ(out, "Flashing Firmware:\n" + ProgressLine(0, 2) + ProgressLine(2, 2) + "\n\n");
}

TEST(UploadFirmware, ApplyReadsTheAcknowledgementAndTheProgress) {
  testing::ScratchFolder dir;
  auto path = dir.path("fw.bin").string();
  testing::WriteBytes(path, testing::Pattern(2000));
  std::string received;
  ScriptedPeer peer([&](PeerEnd& p) {
    std::uint16_t length;
    std::string payload;
    while (received.size() < 2000 && p.ReadBlock(length, payload)) received += payload;
    p.SendReply(kStatusOk, 0);
    p.SendBlock("0 0 0 1");
    p.SendBlock("0 0 1 1");
    p.SendBlock("done");
    p.SendReply(kStatusOk, 0);
  });
  RunOutput output;
  output.silent = true;
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(UploadFirmware(peer.client(), path, 2000, true, output));
  EXPECT_TRUE(peer.client().ReadReply());
  std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "Flashing Firmware:\n" + ProgressLine(0, 1) + ProgressLine(1, 1) + "\n\n");
  EXPECT_EQ(received, testing::Pattern(2000));
}

TEST(UploadFirmware, RefusedImage) {
  testing::ScratchFolder dir;
  auto path = dir.path("fw.bin").string();
  testing::WriteBytes(path, "x");
  ScriptedPeer peer([](PeerEnd& p) {
    std::uint16_t length;
    std::string payload;
    p.ReadBlock(length, payload);
    p.SendReply(kStatusTooSmall, 0);
  });
  RunOutput output;
  output.silent = true;
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(UploadFirmware(peer.client(), path, 1, true, output));
  std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "Server reported an error: File too small\n");
}

}  // namespace
}  // namespace velkor
