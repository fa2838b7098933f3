// unitsim's handling of one connection, the client's bytes taken from the
// fuzz input.  The harness answers the hello with a correct login when the
// first byte is even (so that requests and their data are reached), else
// the input starts with the login frame itself.  The first byte's other
// bits choose the unit: a plain one, or one with a fault of the field (a
// failing flash, one that keeps its old firmware, one that drops uploads)
// or a paced link.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "description.h"
#include "digest.h"
#include "frames.h"
#include "request_log.h"
#include "session.h"
#include "unit.h"

namespace {

// The units the first byte chooses from, by the keys that set them apart.
constexpr const char* kProfiles[] = {
    "",
    "flash_fails = true\n",
    "keeps_old_firmware = true\ninstall_uploads = true\n",
    "upload_drop_after_bytes = 3000\n",
    "link_kbit = 10000000\nhardware = \"CPE-220\"\ninstall_uploads = true\n",
};
constexpr std::size_t kProfileCount = sizeof kProfiles / sizeof kProfiles[0];

std::unique_ptr<unitsim::Unit> g_units[kProfileCount];
std::unique_ptr<unitsim::RequestLog> g_log;
std::FILE* g_logFile = nullptr;

bool ReadExact(int fd, std::uint8_t* buffer, std::size_t count) {
  std::size_t got = 0;
  while (got < count) {
    ssize_t n = recv(fd, buffer + got, count - got, 0);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/unit-session-fuzz-XXXXXX";
  std::filesystem::path folder = mkdtemp(pattern);
  for (std::size_t i = 0; i < kProfileCount; ++i) {
    std::string text = "[defaults]\npassword = \"BlueOx\"\nflash_step_ms = 0\nflash_steps = 2\n"
                       "throughput_limit_kbit = 0\nreboot_seconds = 0\n"
                       "[[unit]]\naddress = \"127.0.0.1\"\nname = \"fuzz\"\n" +
                       std::string(kProfiles[i]) +
                       "[[unit.card]]\ndevice = \"wlan0\"\nmode = \"master\"\n"
                       "[[unit.card.station]]\nname = \"cpe\"\n"
                       "[[unit.ppp]]\nuser = \"alice\"\nip = \"10.5.0.9\"\n"
                       "[[unit.hotspot]]\nuser = \"bob\"\nip = \"10.5.50.2\"\n";
    unitsim::LabDescription lab = unitsim::ParseDescription(text, "fuzz.toml", folder);
    lab.units[0].settings.state = folder / ("state" + std::to_string(i));
    g_units[i] = std::make_unique<unitsim::Unit>(lab.units[0]);
  }
  g_logFile = std::fopen("/dev/null", "w");
  g_log = std::make_unique<unitsim::RequestLog>(g_logFile);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 100000) return 0;
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return 0;
  std::thread client([&] {
    std::uint8_t hello[protocol::kServerHelloSize];
    if (ReadExact(fds[0], hello, sizeof hello)) {
      if (data[0] % 2 == 0) {
        protocol::ServerHello decoded = protocol::DecodeServerHello(hello);
        protocol::LoginFrame frame;
        frame.digest = protocol::MakePasswordDigest("BlueOx", decoded.challenge);
        auto bytes = protocol::EncodeLoginFrame(frame);
        send(fds[0], bytes.data(), bytes.size(), MSG_NOSIGNAL);
      }
      std::size_t at = 1;
      while (at < size) {
        ssize_t n = send(fds[0], data + at, size - at, MSG_NOSIGNAL);
        if (n <= 0) break;
        at += static_cast<std::size_t>(n);
      }
    }
    shutdown(fds[0], SHUT_WR);
    // What the server says is read and dropped, up to a limit: the
    // throughput test would send for ever.
    std::uint8_t sink[4096];
    std::size_t taken = 0;
    ssize_t n;
    while (taken < (1u << 18) && (n = recv(fds[0], sink, sizeof sink, 0)) > 0)
      taken += static_cast<std::size_t>(n);
    shutdown(fds[0], SHUT_RDWR);
  });
  unitsim::SessionLimits limits;
  limits.login = std::chrono::milliseconds(2000);
  limits.idle = std::chrono::milliseconds(2000);
  unitsim::Unit& unit = *g_units[(data[0] >> 1) % kProfileCount];
  unitsim::ServeConnection(unit, fds[1], "127.0.0.1:856", "fuzz", *g_log, limits);
  shutdown(fds[1], SHUT_RDWR);
  client.join();
  close(fds[0]);
  close(fds[1]);
  return 0;
}
