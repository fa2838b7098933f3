// velkor's command line as a user meets it: usage text, argument errors,
// and the password prompt on a terminal.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "harness.h"
#include "digest.h"
#include "pty_process.h"
#include "scripted_peer.h"

namespace e2e {
namespace {

TEST(CommandLine, UsageTextByteForByte) {
  const std::string usage = GoldenFile("usage.txt");
  for (auto args : std::vector<std::vector<std::string>>{{}, {"10.0.0.1"}, {"10.0.0.1", "pw"},
                                                         {"10.0.0.1", "-s"}}) {
    RunResult r = RunVelkor(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, usage);
    EXPECT_EQ(r.err, "");
  }
  RunResult unknown = RunVelkor({"10.0.0.1", "pw", "-x"});
  EXPECT_EQ(unknown.exitCode, 0);
  EXPECT_EQ(unknown.out, "Unknown parameter: -x\n\n" + usage);
}

TEST(CommandLine, ArgumentErrorsEndWithOneBeforeAnyNetworkActivity) {
  RunResult r = RunVelkor({"10.0.0.1", "pw", "-sysinfo", "-ai", "wlan1", "257"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Please specify an association index between 1 and 256\n");
  RunResult p = RunVelkor({"10.0.0.1", "pw", "-sysinfo", "-p"});
  EXPECT_EQ(p.exitCode, 1);
  EXPECT_EQ(p.out, "Please specify a port number.\n");
}

TEST(CommandLine, UnresolvableServer) {
  RunResult r = RunVelkor({"255.255.255.255", "pw", "-sysinfo"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "unable to resolve address\n");
}

TEST(CommandLine, RefusedConnectionIsReportedOnBothStreams) {
  // A port bound but not listening refuses every connection.
  int holder = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(getsockname(holder, reinterpret_cast<sockaddr*>(&address), &size), 0);
  RunResult r = RunVelkor({"127.0.0.1", "pw", "-sysinfo", "-p", std::to_string(ntohs(address.sin_port))});
  close(holder);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Failed to connect to server\n");
  EXPECT_EQ(r.err, "connect(): Connection refused\n");
}

TEST(CommandLine, MissingPasswordWithoutTerminalNeverRunsOn) {
  bool connected = false;
  ScriptedPeer peer([&](PeerLink&) { connected = true; });
  RunResult r = RunVelkor({"127.0.0.1", "-sysinfo", "-p", peer.portText()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out,
            "There is no terminal to ask for the password on: give it on the command line.\n");
  EXPECT_FALSE(connected);
}

TEST(PasswordPrompt, TypedPasswordIsNotEchoedAndLogsIn) {
  std::optional<protocol::LoginFrame> login;
  std::optional<protocol::RequestFrame> request;
  protocol::Challenge challenge{};
  ScriptedPeer peer([&](PeerLink& link) {
    challenge = link.challenge();
    link.SendHello();
    login = link.ReceiveLogin();
    link.SendLoginResult(1);
    request = link.ReceiveRequest();
    link.SendReply(1);
    link.SendReply(1);
  });
  PtyProcess velkor({VelkorPath(), "127.0.0.1", "-p", peer.portText(), "-reboot"});
  velkor.ReadUntil("Enter password: ");
  EXPECT_FALSE(velkor.Settings().c_lflag & ECHO);
  velkor.Write("Secret1\n");
  EXPECT_EQ(velkor.Wait(), 0);
  EXPECT_EQ(velkor.screen(), "Enter password: \r\nOperation has completed successfuly.\r\n");
  EXPECT_TRUE(velkor.Settings().c_lflag & ECHO);
  peer.Join();
  ASSERT_TRUE(login);
  EXPECT_EQ(login->digest, protocol::MakePasswordDigest("Secret1", challenge));
  ASSERT_TRUE(request);
  EXPECT_EQ(request->action, protocol::kActionNone);
  EXPECT_EQ(request->flags, protocol::kOptionReboot);
}

TEST(PasswordPrompt, InterruptRestoresEchoAndEndsWithMinusOne) {
  for (const char* key : {"\x03", "\x1c"}) {  // Ctrl-C, Ctrl-backslash
    PtyProcess velkor({VelkorPath(), "127.0.0.1", "-sysinfo"});
    velkor.ReadUntil("Enter password: ");
    velkor.Write("half");
    velkor.Write(key);
    EXPECT_EQ(velkor.Wait(), 255);
    EXPECT_TRUE(velkor.Settings().c_lflag & ECHO);
    EXPECT_NE(velkor.screen().find("Interrupt\r\n"), std::string::npos) << velkor.screen();
    EXPECT_EQ(velkor.screen().find("half"), std::string::npos);
  }
}

}  // namespace
}  // namespace e2e
