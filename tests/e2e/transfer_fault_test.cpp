// File transfers against servers that break off or misbehave: whatever
// happens, an earlier file of the same name survives, no partial file is
// left behind, and velkor ends with its message and exit code 1.
#include <gtest/gtest.h>

#include <filesystem>

#include "harness.h"
#include "progress.h"
#include "scripted_peer.h"

namespace e2e {
namespace {

using velkor::ProgressLine;

TEST(DownloadFault, BrokenAfterTheFirstBlockKeepsTheEarlierBackup) {
  TempDir dir;
  std::string target = dir.File("server.dat");
  WriteFile(target, "yesterday's backup");
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1, 3000);
    link.SendBlock(std::string(1460, 'n'));
  });
  RunResult r = VelkorAgainst(peer, {"-d", target});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Saving file to: " + target + " (2K in size)\n" + ProgressLine(0, 3000) +
                       ProgressLine(0, 3000) +
                       "\n\nConnection to server was broken, unable to get file.\n\n");
  EXPECT_EQ(ReadFile(target), "yesterday's backup");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"server.dat"});
}

TEST(DownloadFault, BrokenDownloadLeavesNoFile) {
  TempDir dir;
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1, 3000);
    link.SendBlock(std::string(1460, 'n'));
  });
  RunResult r = VelkorAgainst(peer, {"-dscr", "fw", dir.File("fw.txt"), "-s"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Connection to server was broken, unable to get file.\n\n");
  EXPECT_TRUE(dir.Names().empty());
}

TEST(DownloadFault, ZeroLengthBlock) {
  TempDir dir;
  std::string target = dir.File("login.html");
  WriteFile(target, "<html>kept</html>");
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1, 100);
    link.SendRawBlock(0, std::string(100, 'x'));
    link.ReceiveRest();
  });
  RunResult r = VelkorAgainst(peer, {"-dpage", "login", target});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Saving file to: " + target + " (0K in size)\n" + ProgressLine(0, 100) +
                       "\n\nConnection to server was broken, unable to get file.\n\n");
  EXPECT_EQ(ReadFile(target), "<html>kept</html>");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"login.html"});
}

TEST(DownloadFault, BlocksPastTheAnnouncementAreNotWritten) {
  TempDir dir;
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1, 1000);
    link.SendBlock(std::string(1000, 'a') + std::string(460, 'b'));
    link.SendReply(1);
  });
  RunResult r = VelkorAgainst(peer, {"-support", dir.File("support.bin"), "-s"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadFile(dir.File("support.bin")), std::string(1000, 'a'));
}

TEST(DownloadFault, RefusedRequestCreatesNoFile) {
  TempDir dir;
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(5);
  });
  RunResult r = VelkorAgainst(peer, {"-support", dir.File("support.bin")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Server reported an error: No prepared hard drive found\n");
  EXPECT_TRUE(dir.Names().empty());
}

TEST(UploadFault, PeerClosesMidTransfer) {
  TempDir dir;
  std::string image = dir.File("image.bin");
  WriteFile(image, std::string(8 << 20, 'i'));
  std::optional<protocol::RequestFrame> request;
  ScriptedPeer peer = LoggedInPeer(
      [&](PeerLink& link) {
        EXPECT_EQ(request->value, 8u << 20);
        link.SendReply(1);
        link.Receive(protocol::kDataBlockSize * 10);
      },
      &request);
  RunResult r = VelkorAgainst(peer, {"-f", image});
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 1);
  std::string tail = "\n\nConnection with server was broken, file not uploaded.\n\n";
  ASSERT_GE(r.out.size(), tail.size());
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
  EXPECT_EQ(r.out.find("Sending file: " + image + " (8192K in size)\n"), 0u);
}

TEST(UploadFault, FileTooLargeForTheRequestIsRefusedBeforeConnecting) {
  TempDir dir;
  std::string image = dir.File("huge.bin");
  WriteFile(image, "");
  std::filesystem::resize_file(image, 0x100000000ull);  // sparse
  bool connected = false;
  RunResult r;
  {
    ScriptedPeer peer([&](PeerLink&) { connected = true; });
    r = RunVelkor({"127.0.0.1", "BlueOx", "-p", peer.portText(), "-f", image});
  }
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "File " + image +
                       " is too large to upload (4294967296 bytes; the largest is 4294967295).\n");
  EXPECT_FALSE(connected);
}

TEST(UploadFault, MissingFile) {
  RunResult r = RunVelkor({"127.0.0.1", "BlueOx", "-u", "/nonexistent/server.dat"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "File /nonexistent/server.dat does not exist.\n");
}

TEST(FirmwareFault, ConnectionGoneBeforeTheFirstProgressMessage) {
  TempDir dir;
  std::string image = dir.File("image.bin");
  WriteFile(image, std::string(100, 'i'));
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1);
    link.Receive(protocol::kDataBlockSize);
    link.SendReply(1);  // image taken; then the server goes away
  });
  RunResult r = VelkorAgainst(peer, {"-f", image, "-a", "-s"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Failed to get a responce from the server.\n");
}

TEST(FirmwareFault, ConnectionGoneDuringFlashing) {
  TempDir dir;
  std::string image = dir.File("image.bin");
  WriteFile(image, std::string(100, 'i'));
  std::optional<protocol::RequestFrame> request;
  ScriptedPeer peer = LoggedInPeer(
      [&](PeerLink& link) {
        EXPECT_EQ(request->flags, protocol::kOptionApply | protocol::kOptionReboot);
        link.SendReply(1);
        link.Receive(protocol::kDataBlockSize);
        link.SendReply(1);
        link.SendBlock("Erasing");
        link.SendBlock("0 0 0 8");
      },
      &request);
  RunResult r = VelkorAgainst(peer, {"-f", image, "-a", "-reboot", "-s"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Erasing\nFlashing Firmware:\n" + ProgressLine(0, 8) +
                       "\n\nFailed to get a responce from the server.\n");
}

}  // namespace
}  // namespace e2e
