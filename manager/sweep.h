// The sweep of a /24 block by ICMP echo: 254 worker threads, one per host
// address, started 15 ms apart, each sending one echo and recording its own
// host's answer; a progress line while they run; then the list of live
// hosts on screen and in the file "network/" + prefix + "txt".
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "console.h"
#include "device_entry.h"
#include "icmp.h"

namespace halvex {

inline constexpr int kEchoTimeoutMs = 3000;
inline constexpr const char* kEchoPayload = "abcdefghijklmnop";
inline constexpr std::size_t kWorkerStackBytes = 1048576;

struct PingResult {
  std::int32_t roundTripMs = 0;
  std::int32_t status = 0;
  std::string statusText;  // 24 characters
  bool replied = false;    // a reply with status 0 came back within the time-out
};

// Sends one echo to hostText (a dotted address or a host name) and, when a
// successful reply comes back in under `timeoutMs`, records it in the
// entry of the host number (the number after the last dot) in `table`.
PingResult pingHost(const std::string& hostText, int timeoutMs, std::string_view payload,
                    EchoService& echo, DeviceTable* table);

struct SweepSetup {
  SweepSetup(Console& console, EchoService& echo) : console(console), echo(echo) {}

  Console& console;
  EchoService& echo;
  // Folder that holds the "network" folder.
  std::filesystem::path workDir = ".";
  std::chrono::milliseconds startSpacing{15};
  // Seconds on a clock that only moves forward, for the elapsed time.
  std::function<double()> secondsNow;
  // A colour from 1 to 7 for the next batch of progress dots.
  std::function<int()> randomColor;
};

// Sweeps the block and leaves its answers in `table` (alive, replied,
// pingTime); gives the number of live hosts.
int runSweep(SweepSetup& setup, const std::string& prefix, DeviceTable& table);

// Screen texts of the sweep.
std::string LiveHostLine(int count, const std::string& prefix, int host, int ms);
std::string FoundLine(int count, double elapsedSeconds);
// The live-host list file of a prefix, inside workDir.
std::filesystem::path LiveHostFile(const std::filesystem::path& workDir, const std::string& prefix);

}  // namespace halvex
