#include "server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "digest.h"
#include "test_client.h"
#include "test_server.h"

namespace unitsim {
namespace {

using test::Exchange;
using test::RunRequest;
using test::TestClient;

constexpr const char* kLab = R"(
[defaults]
kernlog = ""
[[unit]]
address = "10.9.9.9"
name = "lab-ap"
)";

class ServerTest : public test::ServerFixture {
 protected:
  void StartServer(const std::string& text = kLab, int ioTimeoutMs = 60000,
                   std::size_t maxConnections = 256) {
    ServerOptions options;
    options.ioTimeoutMs = ioTimeoutMs;
    options.maxConnections = maxConnections;
    Serve(text, options);
  }

  // A proper client still gets its report.
  void ExpectServing() {
    Exchange e = RunRequest(port_, "BlueOx", protocol::kActionSystemInfo);
    EXPECT_EQ(e.verdict, 1);
    ASSERT_TRUE(e.final.has_value());
    EXPECT_EQ(e.final->status, protocol::kStatusOk);
    ASSERT_TRUE(e.data.has_value());
    EXPECT_NE(e.data->find("lab-ap"), std::string::npos);
  }
};

TEST_F(ServerTest, ReportArrivesInBlocksThatAddUpToTheAnnouncedLength) {
  std::string report(2999, 'r');
  report += '\n';
  StartServer("[[unit]]\naddress = \"10.9.9.9\"\nname = \"ap\"\nsysinfo = \"" +
              report.substr(0, 2999) + "\\n\"\n");
  Exchange e = RunRequest(port_, "BlueOx", protocol::kActionSystemInfo);
  EXPECT_EQ(e.verdict, 1);
  ASSERT_TRUE(e.first.has_value());
  EXPECT_EQ(e.first->status, protocol::kStatusOk);
  EXPECT_EQ(e.first->value, 3000u);
  ASSERT_TRUE(e.data.has_value());
  EXPECT_EQ(*e.data, report);
  EXPECT_EQ(e.blocks, 3);  // 1460, 1460, 80
  ASSERT_TRUE(e.final.has_value());
  EXPECT_EQ(e.final->status, protocol::kStatusOk);
  EXPECT_EQ(e.final->value, 0u);

  server_->Stop();
  std::string log = LogText();
  EXPECT_NE(log.find(" ap from 127.0.0.1:"), std::string::npos) << log;
  EXPECT_NE(log.find(": login ok, action 64 sysinfo, flags 0, status 1, report 3000 bytes, "
                     "final status 1, sent 4438 bytes, received 76 bytes"),
            std::string::npos)
      << log;
}

TEST_F(ServerTest, EmptyReportSendsNoBlock) {
  StartServer();
  Exchange e = RunRequest(port_, "BlueOx", protocol::kActionKernelLog);
  ASSERT_TRUE(e.first.has_value());
  EXPECT_EQ(e.first->status, protocol::kStatusOk);
  EXPECT_EQ(e.first->value, 0u);
  EXPECT_EQ(e.blocks, 0);
  // The final reply comes straight after the first.
  ASSERT_TRUE(e.final.has_value());
  EXPECT_EQ(e.final->status, protocol::kStatusOk);
}

TEST_F(ServerTest, LoginIsRefusedForAWrongPasswordOrVersion) {
  StartServer();
  {
    TestClient client(port_);
    EXPECT_EQ(client.Login("blueox"), 0);
    EXPECT_TRUE(client.SeesClose());
  }
  {
    TestClient client(port_);
    auto hello = client.ReadHello();
    ASSERT_TRUE(hello.has_value());
    EXPECT_EQ(hello->version, protocol::kProtocolVersion);
    EXPECT_EQ(hello->text, "unitsim management server");
    protocol::LoginFrame frame;
    frame.version = 0x0103;
    frame.digest = protocol::MakePasswordDigest("BlueOx", hello->challenge);
    ASSERT_TRUE(client.Send(protocol::EncodeLoginFrame(frame)));
    std::uint8_t result[3];
    ASSERT_TRUE(client.Receive(result, 3));
    EXPECT_EQ(result[0], 0x01);
    EXPECT_EQ(result[1], 0x01);
    EXPECT_EQ(result[2], 0);
    EXPECT_TRUE(client.SeesClose());
  }
  server_->Stop();
  std::string log = LogText();
  EXPECT_NE(log.find("login refused (wrong password)"), std::string::npos) << log;
  EXPECT_NE(log.find("login refused (version 0x0103)"), std::string::npos) << log;
}

TEST_F(ServerTest, EveryConnectionGetsAFreshChallenge) {
  StartServer();
  TestClient a(port_);
  TestClient b(port_);
  auto helloA = a.ReadHello();
  auto helloB = b.ReadHello();
  ASSERT_TRUE(helloA && helloB);
  EXPECT_NE(helloA->challenge, helloB->challenge);
}

TEST_F(ServerTest, OtherActionsGetStatus4AndTheConnectionCloses) {
  StartServer();
  for (int code : {7, 63, 255}) {
    TestClient client(port_);
    ASSERT_EQ(client.Login("BlueOx"), 1);
    auto request = protocol::MakeRequest(static_cast<std::uint8_t>(code), 100, 0, 0, "wlan0");
    ASSERT_TRUE(client.Send(protocol::EncodeRequest(request)));
    auto reply = client.ReadReply();
    ASSERT_TRUE(reply.has_value()) << code;
    EXPECT_EQ(reply->status, protocol::kStatusNotSupported) << code;
    EXPECT_TRUE(client.SeesClose()) << code;
  }
  ExpectServing();
}

TEST_F(ServerTest, ApplyAndRebootOnly) {
  StartServer();
  Exchange e = RunRequest(port_, "BlueOx", protocol::kActionNone,
                          protocol::kOptionApply | protocol::kOptionReboot);
  ASSERT_TRUE(e.first.has_value());
  EXPECT_EQ(e.first->status, protocol::kStatusOk);
  EXPECT_EQ(e.first->value, 0u);
  ASSERT_TRUE(e.final.has_value());
  EXPECT_EQ(e.final->status, protocol::kStatusOk);
  // reboot_seconds is 0: the unit is back at once.
  ExpectServing();
  server_->Stop();
  std::string log = LogText();
  EXPECT_NE(log.find("action 0 flags only, flags 3, status 1, final status 1, apply, reboot (0 s down)"),
            std::string::npos)
      << log;
}

TEST_F(ServerTest, ARebootingUnitTurnsConnectionsAway) {
  StartServer("[[unit]]\naddress = \"10.9.9.9\"\nname = \"ap\"\nreboot_seconds = 3600\n");
  Exchange e = RunRequest(port_, "BlueOx", protocol::kActionNone, protocol::kOptionReboot);
  ASSERT_TRUE(e.final.has_value());
  // The unit starts its reboot once the final reply is on its way.
  for (int i = 0; i < 200 && !server_->unit(0).state.Refusing(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  TestClient client(port_);
  EXPECT_FALSE(client.ReadHello().has_value());
  server_->Stop();
  EXPECT_NE(LogText().find("refused, the unit is rebooting"), std::string::npos);
}

TEST_F(ServerTest, FlagsAreCarriedOutAfterAReport) {
  StartServer("[[unit]]\naddress = \"10.9.9.9\"\nname = \"ap\"\nreboot_seconds = 3600\n");
  Exchange e = RunRequest(port_, "BlueOx", protocol::kActionSystemInfo, protocol::kOptionReboot);
  ASSERT_TRUE(e.final.has_value());
  // The unit starts its reboot once the final reply is on its way.
  for (int i = 0; i < 200 && !server_->unit(0).state.Refusing(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(server_->unit(0).state.Refusing());
}

TEST_F(ServerTest, AWrongRequestTagClosesTheConnection) {
  StartServer();
  TestClient client(port_);
  ASSERT_EQ(client.Login("BlueOx"), 1);
  auto bytes = protocol::EncodeRequest(protocol::MakeRequest(protocol::kActionSystemInfo, 0, 0, 0, ""));
  bytes[0] = 0x04;
  ASSERT_TRUE(client.Send(bytes));
  EXPECT_TRUE(client.SeesClose());
  server_->Stop();
  EXPECT_NE(LogText().find("bad request tag 0x0104"), std::string::npos);
}

TEST_F(ServerTest, ClientsThatLeaveAtAnyByteCostOnlyTheirConnection) {
  StartServer();
  {
    TestClient client(port_);  // leaves before the hello is read
  }
  for (std::size_t cut = 0; cut < protocol::kLoginFrameSize; ++cut) {
    TestClient client(port_);
    auto hello = client.ReadHello();
    ASSERT_TRUE(hello.has_value());
    protocol::LoginFrame frame;
    frame.digest = protocol::MakePasswordDigest("BlueOx", hello->challenge);
    auto bytes = protocol::EncodeLoginFrame(frame);
    ASSERT_TRUE(client.Send(std::span(bytes.data(), cut)));
  }
  auto request = protocol::EncodeRequest(protocol::MakeRequest(protocol::kActionSystemInfo, 0, 0, 0, ""));
  for (std::size_t cut = 0; cut < protocol::kRequestFrameSize; ++cut) {
    TestClient client(port_);
    ASSERT_EQ(client.Login("BlueOx"), 1);
    ASSERT_TRUE(client.Send(std::span(request.data(), cut)));
  }
  // A client that leaves in the middle of the report.
  {
    TestClient client(port_);
    ASSERT_EQ(client.Login("BlueOx"), 1);
    ASSERT_TRUE(client.Send(request));
  }
  ExpectServing();
  server_->Stop();
  std::string log = LogText();
  EXPECT_NE(log.find("connection ended after 33 of 34 bytes of the login"), std::string::npos);
  EXPECT_NE(log.find("connection ended after 41 of 42 bytes of the request"), std::string::npos);
  EXPECT_NE(log.find("connection ended after 0 of 42 bytes of the request"), std::string::npos);
}

TEST_F(ServerTest, GarbageCostsOnlyItsConnection) {
  StartServer();
  std::vector<std::uint8_t> garbage(5000);
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 37);
  {
    TestClient client(port_);
    client.Send(garbage);  // may fail once the server has closed
    EXPECT_TRUE(client.DrainsToClose());
  }
  {
    TestClient client(port_);
    ASSERT_EQ(client.Login("BlueOx"), 1);
    client.Send(garbage);
    EXPECT_TRUE(client.SeesClose());
  }
  ExpectServing();
}

TEST_F(ServerTest, AStalledClientIsDroppedAndDoesNotBlockOthers) {
  StartServer(kLab, /*ioTimeoutMs=*/200);
  TestClient stalled(port_);
  ASSERT_TRUE(stalled.ReadHello().has_value());
  std::uint8_t half[10] = {0x02, 0x01};
  ASSERT_TRUE(stalled.Send(half));
  ExpectServing();
  EXPECT_TRUE(stalled.SeesClose());
  server_->Stop();
  EXPECT_NE(LogText().find("connection ended after 10 of 34 bytes of the login"),
            std::string::npos);
}

TEST_F(ServerTest, ServesManyConnectionsAtOnceUpToTheCap) {
  StartServer(kLab, 60000, /*maxConnections=*/20);
  std::vector<std::unique_ptr<TestClient>> waiting;
  for (int i = 0; i < 20; ++i) {
    waiting.push_back(std::make_unique<TestClient>(port_));
    ASSERT_TRUE(waiting.back()->ReadHello().has_value());
  }
  {
    TestClient oneTooMany(port_);
    EXPECT_FALSE(oneTooMany.ReadHello().has_value());
  }
  // The waiting ones finish their logins, in reverse order.
  for (auto it = waiting.rbegin(); it != waiting.rend(); ++it) {
    protocol::LoginFrame frame;  // wrong digest: verdict 0
    ASSERT_TRUE((*it)->Send(protocol::EncodeLoginFrame(frame)));
    std::uint8_t result[3];
    ASSERT_TRUE((*it)->Receive(result, 3));
    EXPECT_EQ(result[2], 0);
  }
  waiting.clear();
  server_->Stop();
  EXPECT_NE(LogText().find("refused, too many connections"), std::string::npos);
}

TEST_F(ServerTest, StopEndsConnectionsInProgress) {
  StartServer();
  TestClient waiting(port_);
  ASSERT_TRUE(waiting.ReadHello().has_value());
  server_->Stop();
  EXPECT_TRUE(waiting.SeesClose());
  EXPECT_EQ(server_->activeConnections(), 0u);
}

TEST_F(ServerTest, ATakenPortIsReportedWithAddressAndPort) {
  StartServer();
  ServerOptions options;
  options.bind = "127.0.0.1";
  options.port = port_;
  RequestLog log(stderr);
  Server second(lab_, options, log);
  std::string error;
  EXPECT_FALSE(second.Listen(error));
  EXPECT_EQ(error, "cannot listen on 127.0.0.1:" + std::to_string(port_) +
                       " for unit 'lab-ap': Address already in use");
}

}  // namespace
}  // namespace unitsim
