// velkor's side of a whole session, the server's bytes taken from the
// fuzz input: its first byte chooses the action, the rest is what the
// server sends (hello, login result, replies, blocks, records, progress).
// Whatever arrives, the run ends with a status and no crash, hang or leak.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "connection.h"
#include "run.h"

namespace {

std::string g_folder;

struct ActionChoice {
  std::uint8_t action;
  std::uint8_t selector;
  std::uint8_t flags;
  const char* device;
  bool file;  // the action takes the scratch file
};

constexpr ActionChoice kChoices[] = {
    {velkor::kActionNone, 0, velkor::kOptionReboot, "", false},
    {velkor::kActionDownloadConfig, 0, 0, "", true},
    {velkor::kActionDownloadScript, 2, 0, "", true},
    {velkor::kActionUploadConfig, 0, 0, "", true},
    {velkor::kActionUploadScript, 3, 0, "", true},
    {velkor::kActionDownloadPage, 32, 0, "", true},
    {velkor::kActionUploadPage, 36, 0, "", true},
    {velkor::kActionCardInfo, 0, 0, "wlan0", false},
    {velkor::kActionAssociations, 0, 0, "wlan0", false},
    {velkor::kActionListPpp, 0, 0, "", false},
    {velkor::kActionListHotspot, 0, 0, "", false},
    {velkor::kActionReceiveThroughput, 0, 0, "", false},
    {velkor::kActionTransmitThroughput, 0, 0, "", false},
    {velkor::kActionDisconnectPpp, 0, 0, "", false},
    {velkor::kActionDisconnectHotspotUser, 0, 0, "", false},
    {velkor::kActionDisconnectHotspotIp, 0, 0, "", false},
    {velkor::kActionSystemInfo, 0, 0, "", false},
    {velkor::kActionKernelLog, 0, 0, "", false},
    {velkor::kActionSupportFile, 0, 0, "", true},
    {velkor::kActionFirmware, 0, velkor::kOptionApply, "", true},
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/client-session-fuzz-XXXXXX";
  g_folder = mkdtemp(pattern);
  // The run's output would only slow the fuzzer down.
  if (!std::freopen("/dev/null", "w", stdout)) return 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 200000) return 0;
  const ActionChoice& choice = kChoices[data[0] % std::size(kChoices)];
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return 0;
  int buffer = 1 << 20;
  setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
  setsockopt(fds[0], SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
  // The server's part is written whole and the server goes away: what the
  // client has not read yet stays readable, its sends fail.
  std::size_t at = 1;
  while (at < size) {
    ssize_t n = send(fds[1], data + at, size - at, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n <= 0) break;
    at += static_cast<std::size_t>(n);
  }
  close(fds[1]);

  std::string file = g_folder + "/file";
  if (choice.file) {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (f) {
      std::fputs("a file to upload\r\nsecond line\n", f);
      std::fclose(f);
    }
  }
  velkor::ParsedCommand command;
  command.server = "127.0.0.1";
  command.password = "BlueOx";
  command.action = choice.action;
  command.selector = choice.selector;
  command.flags = choice.flags;
  command.device = choice.device;
  command.path = file;
  command.user = "alice";
  command.hotspotAddress = 0x0100007f;
  command.silent = (data[0] & 0x80) != 0;
  std::string text = "a script\nof two lines\n";
  std::uint32_t value = choice.action == velkor::kActionUploadConfig ||
                                choice.action == velkor::kActionFirmware
                            ? 30
                            : static_cast<std::uint32_t>(text.size());
  velkor::Connection connection(fds[0]);
  velkor::RunSession(connection, command, "BlueOx", value, text);
  close(fds[0]);
  std::error_code ec;
  std::filesystem::remove(file, ec);
  return 0;
}
