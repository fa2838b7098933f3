// -sysinfo and -kernlog against scripted peers and the simulated unit.
#include <gtest/gtest.h>

#include "harness.h"
#include "scripted_peer.h"

namespace e2e {
namespace {

TEST(Report, BlocksArePrintedBackToBack) {
  std::optional<protocol::RequestFrame> request;
  std::string text = std::string(1460, 'a') + std::string(1460, 'b') + std::string(80, 'c');
  ScriptedPeer peer = LoggedInPeer(
      [&](PeerLink& link) {
        link.SendReply(1, 3000);
        link.SendBlock(text.substr(0, 1460));
        link.SendBlock(text.substr(1460, 1460));
        link.SendBlock(text.substr(2920));
        link.SendReply(1);
      },
      &request);
  RunResult r = VelkorAgainst(peer, {"-sysinfo"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, text + "Operation has completed successfuly.\n");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->action, protocol::kActionSystemInfo);
  EXPECT_EQ(request->variant, 1);
}

TEST(Report, SilentModeKeepsTheReportAndDropsTheCompletionLine) {
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1, 6);
    link.SendBlock("kernel");
    link.SendReply(1);
  });
  RunResult r = VelkorAgainst(peer, {"-kernlog", "-s"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "kernel");
}

TEST(Report, EmptyReportGoesStraightToTheFinalReply) {
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1, 0);
    link.SendReply(1);
  });
  RunResult r = VelkorAgainst(peer, {"-kernlog"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Operation has completed successfuly.\n");
}

TEST(Report, ZeroByteEndsThePrintedPartOfABlock) {
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1, 10);
    link.SendBlock(std::string("abc\0def", 7));
    link.SendBlock("xyz");
    link.SendReply(1);
  });
  RunResult r = VelkorAgainst(peer, {"-sysinfo", "-s"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "abcxyz");
}

TEST(Report, BrokenConnectionMidReport) {
  for (bool silent : {false, true}) {
    ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
      link.SendReply(1, 3000);
      link.SendBlock(std::string(1460, 'r'));
      link.Send(std::string(700, 'x'));  // half a block, then the close
    });
    std::vector<std::string> options = {"-sysinfo"};
    if (silent) options.push_back("-s");
    RunResult r = VelkorAgainst(peer, options);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, std::string(1460, 'r') + (silent ? "" : "\n\n") +
                         "Connection to server was broken, unable to get report.\n\n");
  }
}

TEST(Report, MalformedBlocksCountAsABrokenConnection) {
  const std::string broken = "\n\nConnection to server was broken, unable to get report.\n\n";
  struct Case {
    const char* name;
    std::function<void(PeerLink&)> blocks;
    std::string printed;
  };
  const Case cases[] = {
      {"zero length", [](PeerLink& l) { l.SendRawBlock(0, "abc"); }, ""},
      {"length above 1460", [](PeerLink& l) { l.SendRawBlock(1461, std::string(1460, 'o')); }, ""},
      {"length 65535", [](PeerLink& l) { l.SendRawBlock(0xFFFF, std::string(1460, 'o')); }, ""},
      // 2000 announced, blocks of 1460 and 1460: the second would pass the total.
      {"past the total",
       [](PeerLink& l) {
         l.SendBlock(std::string(1460, 'p'));
         l.SendBlock(std::string(1460, 'q'));
         l.SendReply(1);
       },
       std::string(1460, 'p')},
  };
  for (const Case& c : cases) {
    ScriptedPeer peer = LoggedInPeer([&](PeerLink& link) {
      link.SendReply(1, 2000);
      c.blocks(link);
    });
    RunResult r = VelkorAgainst(peer, {"-sysinfo"});
    EXPECT_EQ(r.exitCode, 1) << c.name;
    EXPECT_EQ(r.out, c.printed + broken) << c.name;
    EXPECT_FALSE(r.timedOut) << c.name;
  }
}

TEST(Report, ServerErrorStatuses) {
  struct Case {
    std::uint8_t status;
    const char* text;
  };
  for (Case c : {Case{4, "Command not supported"}, Case{0, "Action Failed"},
                 Case{9, "Unknown error 9"}}) {
    ScriptedPeer peer = LoggedInPeer([&](PeerLink& link) { link.SendReply(c.status, 77); });
    RunResult r = VelkorAgainst(peer, {"-sysinfo"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, std::string("Server reported an error: ") + c.text + "\n");
  }
}

TEST(Report, ServerGoneBeforeTheFinalReply) {
  ScriptedPeer peer = LoggedInPeer([](PeerLink& link) {
    link.SendReply(1, 2);
    link.SendBlock("ok");
    link.Send(std::string("\x04\x01", 2));  // a short reply
  });
  RunResult r = VelkorAgainst(peer, {"-sysinfo"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "okFailed to get a responce from the server.\n");
}

const char kReportUnit[] = R"(
[[unit]]
address = "127.0.0.1"
name = "e2e-ap"
password = "BlueOx"
hardware = "ARX-200"
firmware = "2.5.1"
build = "4711"
sysinfo = """
System information
{description}
Name: {name}
"""
kernlog = """
<6>boot: {hardware} ready
"""
)";

class ReportFromUnit : public UnitsimTest<> {};

TEST_F(ReportFromUnit, SystemInformationAndKernelLog) {
  Unitsim unit(kReportUnit);
  RunResult info = VelkorAgainst(unit, {"-sysinfo"});
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_EQ(info.out,
            "System information\nUnit 2.5.1 build 4711 [ARX-200]\nName: e2e-ap\n"
            "Operation has completed successfuly.\n");
  RunResult log = VelkorAgainst(unit, {"-KERNLOG", "-s"});
  EXPECT_EQ(log.exitCode, 0);
  EXPECT_EQ(log.out, "<6>boot: ARX-200 ready\n");
}

TEST_F(ReportFromUnit, WrongPassword) {
  Unitsim unit(kReportUnit);
  RunResult r = RunVelkor({"127.0.0.1", "blueox", "-p", unit.portText(), "-sysinfo"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Invalid password\n");
}

TEST_F(ReportFromUnit, ApplyAndRebootWithoutAction) {
  Unitsim unit(kReportUnit);
  RunResult r = VelkorAgainst(unit, {"-a"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Operation has completed successfuly.\n");
}

}  // namespace
}  // namespace e2e
