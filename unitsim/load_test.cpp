// The server under load and abuse: a burst of a whole block's clients,
// clients that never log in, and clients that send one byte now and then.
// Whatever they do, a real client gets its answer.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "frames.h"
#include "test_client.h"
#include "test_loopback.h"
#include "test_server.h"

namespace unitsim::test {
namespace {

using namespace std::chrono_literals;

const char kLoadLab[] = "[[unit]]\naddress = \"10.9.9.9\"\nname = \"ap\"\n";

class LoadTest : public ServerFixture {};


// 254 connects started at once, as a lab's worth of velkor runs does: every
// one is greeted at once.  A short listen queue drops some of them, and
// the system tries those again only a second later (or leaves them
// connected on their side with no session).
TEST_F(LoadTest, EveryClientOfABurstIsGreetedAtOnce) {
  Serve(kLoadLab);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port_);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::vector<pollfd> clients;
  for (int i = 0; i < 254; ++i) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    ASSERT_GE(fd, 0);
    ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);  // in progress
    clients.push_back(pollfd{fd, POLLIN, 0});
  }
  std::vector<std::size_t> got(clients.size(), 0);
  std::size_t greeted = 0;
  auto until = std::chrono::steady_clock::now() + 800ms;
  while (greeted < clients.size() && std::chrono::steady_clock::now() < until) {
    if (::poll(clients.data(), clients.size(), 50) <= 0) continue;
    for (std::size_t i = 0; i < clients.size(); ++i) {
      if (clients[i].fd < 0 || !(clients[i].revents & POLLIN)) continue;
      std::uint8_t buffer[64];
      ssize_t n = ::recv(clients[i].fd, buffer, sizeof buffer, 0);
      if (n > 0) got[i] += static_cast<std::size_t>(n);
      if (n <= 0 || got[i] >= protocol::kServerHelloSize) {
        if (got[i] >= protocol::kServerHelloSize) ++greeted;
        ::close(clients[i].fd);
        clients[i].fd = -1;  // poll skips it from now on
      }
    }
  }
  for (const pollfd& p : clients)
    if (p.fd >= 0) ::close(p.fd);
  EXPECT_EQ(greeted, 254u);
}

TEST_F(LoadTest, ClientsThatNeverLogInCannotLockTheRealOnesOut) {
  ServerOptions options;
  options.maxConnections = 16;
  options.loginGraceMs = 200;
  Serve(kLoadLab, options);
  std::vector<int> idle;
  for (int i = 0; i < 40; ++i) idle.push_back(protocol::test::ConnectToLoopback(port_));
  std::this_thread::sleep_for(300ms);
  for (int round = 0; round < 3; ++round) {
    Exchange e = RunRequest(port_, "BlueOx", protocol::kActionSystemInfo);
    EXPECT_EQ(e.verdict, 1) << round;
    ASSERT_TRUE(e.final.has_value()) << round;
    EXPECT_EQ(e.final->status, protocol::kStatusOk);
    std::this_thread::sleep_for(250ms);
  }
  for (int fd : idle) ::close(fd);
  EXPECT_NE(LogText().find("dropped to make room"), std::string::npos);
}

TEST_F(LoadTest, ASlowLoginIsDroppedAtItsDeadline) {
  ServerOptions options;
  options.loginTimeoutMs = 400;
  Serve(kLoadLab, options);
  TestClient slow(port_);
  ASSERT_TRUE(slow.ReadHello().has_value());
  // One byte every 50 ms would take 1.7 s for the login frame.
  auto start = std::chrono::steady_clock::now();
  std::uint8_t byte = 0x02;
  bool closed = false;
  for (int i = 0; i < 34 && !closed; ++i) {
    if (!slow.Send(std::span(&byte, 1))) closed = true;
    std::this_thread::sleep_for(50ms);
    if (std::chrono::steady_clock::now() - start > 1s) break;
  }
  EXPECT_TRUE(slow.SeesClose());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
}

TEST_F(LoadTest, AClientIdleAfterItsLoginIsDropped) {
  ServerOptions options;
  options.ioTimeoutMs = 300;
  Serve(kLoadLab, options);
  TestClient idle(port_);
  ASSERT_EQ(idle.Login("BlueOx"), 1);
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(idle.SeesClose());  // no request came
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(LoadTest, AMessageSentOneByteAtATimeHasItsOwnTime) {
  ServerOptions options;
  options.ioTimeoutMs = 300;
  Serve(kLoadLab, options);
  TestClient slow(port_);
  ASSERT_EQ(slow.Login("BlueOx"), 1);
  // Each byte comes well within the time, the whole request does not.
  auto request = protocol::EncodeRequest(protocol::MakeRequest(protocol::kActionSystemInfo, 0, 0, 0, ""));
  auto start = std::chrono::steady_clock::now();
  for (std::uint8_t byte : request) {
    if (!slow.Send(std::span(&byte, 1))) break;
    std::this_thread::sleep_for(30ms);
    if (std::chrono::steady_clock::now() - start > 1s) break;
  }
  EXPECT_TRUE(slow.SeesClose());
}

}  // namespace
}  // namespace unitsim::test
