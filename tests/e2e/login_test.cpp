// The login against servers that misbehave, each with its exact message.
#include <gtest/gtest.h>

#include "harness.h"
#include "digest.h"
#include "scripted_peer.h"

namespace e2e {
namespace {

TEST(Login, ShortHello) {
  ScriptedPeer peer([](PeerLink& link) { link.Send(std::string(34, 'h')); });
  RunResult r = VelkorAgainst(peer, {"-sysinfo"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Unable to talk with server\n");
}

TEST(Login, NewerProtocolVersionIsRefused) {
  ScriptedPeer peer([](PeerLink& link) { link.SendHello(0x0103); });
  RunResult r = VelkorAgainst(peer, {"-sysinfo"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Please upgrade your utility to talk to this server.\n");
}

TEST(Login, ConnectionClosedBeforeTheVerdict) {
  ScriptedPeer peer([](PeerLink& link) {
    link.SendHello();
    link.ReceiveLogin();
    link.Send(std::string("\x01\x01", 2));
  });
  RunResult r = VelkorAgainst(peer, {"-sysinfo"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Unable to talk with server\n");
}

TEST(Login, WrongResultTag) {
  ScriptedPeer peer([](PeerLink& link) {
    link.SendHello();
    link.ReceiveLogin();
    link.SendLoginResult(1, 0x0102);
  });
  RunResult r = VelkorAgainst(peer, {"-sysinfo"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Communication with server failed\n");
}

TEST(Login, VerdictZeroIsAWrongPassword) {
  ScriptedPeer peer([](PeerLink& link) {
    link.SendHello();
    link.ReceiveLogin();
    link.SendLoginResult(0);
  });
  RunResult r = VelkorAgainst(peer, {"-sysinfo"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "Invalid password\n");
}

TEST(Login, AnyOtherVerdictIsAcceptedAndHelloMayComeInPieces) {
  std::optional<protocol::LoginFrame> login;
  protocol::Challenge challenge{};
  ScriptedPeer peer([&](PeerLink& link) {
    challenge = link.challenge();
    protocol::ServerHello hello;
    hello.challenge = challenge;
    auto bytes = protocol::EncodeServerHello(hello);
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
      link.Send(std::span<const std::uint8_t>(bytes.data() + i, std::min<std::size_t>(4, bytes.size() - i)));
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    login = link.ReceiveLogin();
    link.SendLoginResult(5);
    link.ReceiveRequest();
    link.SendReply(1, 0);
    link.SendReply(1, 0);
  });
  RunResult r = VelkorAgainst(peer, {"-sysinfo"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Operation has completed successfuly.\n");
  ASSERT_TRUE(login);
  EXPECT_EQ(login->version, protocol::kProtocolVersion);
  EXPECT_EQ(login->digest, protocol::MakePasswordDigest("BlueOx", challenge));
}

}  // namespace
}  // namespace e2e
