// A lab's worth of velkor runs at once against one simulated unit: 254
// concurrent sessions, ten rounds, none may fail; and the same while 300
// clients that never log in and one that sends a byte a second are
// connected.  In the sanitizer build, where every velkor and the unit run
// several times slower, the load is a quarter of a block for three rounds,
// so that it holds on two cores shared with other work.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "harness.h"
#include "test_loopback.h"

namespace e2e {
namespace {

#ifdef E2E_SANITIZED
constexpr int kSessions = 64;
constexpr int kRounds = 3;
#else
constexpr int kSessions = 254;
constexpr int kRounds = 10;
#endif

const char kLoadUnit[] =
    "[[unit]]\naddress = \"127.0.0.1\"\nname = \"load\"\npassword = \"BlueOx\"\n";


// Starts every session at once and gives how many did not end with 0.
int OneRound(std::uint16_t port) {
  std::vector<pid_t> pids;
  for (int i = 0; i < kSessions; ++i) {
    pid_t pid = StartVelkor(port, {"-sysinfo", "-s"}, "/dev/null", "/dev/null");
    if (pid > 0) pids.push_back(pid);
  }
  int failed = kSessions - static_cast<int>(pids.size());
  for (pid_t pid : pids) {
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failed;
  }
  return failed;
}

TEST(Load, TwoHundredFiftyFourSessionsAtOnce) {
  Unitsim unit(kLoadUnit);
  for (int round = 0; round < kRounds; ++round) EXPECT_EQ(OneRound(unit.port()), 0) << round;
}

TEST(Load, TheSameWhileIdleAndSlowClientsAreConnected) {
  Unitsim unit(kLoadUnit);
  std::vector<int> idle;
  for (int i = 0; i < 300; ++i) idle.push_back(protocol::test::ConnectToLoopback(unit.port()));
  std::atomic<bool> stop{false};
  std::thread slow([&] {
    int fd = protocol::test::ConnectToLoopback(unit.port());
    std::uint8_t byte = 0x02;
    while (!stop && ::send(fd, &byte, 1, MSG_NOSIGNAL) == 1) {
      for (int i = 0; i < 10 && !stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::close(fd);
  });
  // Past the time a new client has to log in before it may be dropped.
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  for (int round = 0; round < kRounds; ++round) EXPECT_EQ(OneRound(unit.port()), 0) << round;
  stop = true;
  slow.join();
  for (int fd : idle)
    if (fd >= 0) ::close(fd);
}

}  // namespace
}  // namespace e2e
