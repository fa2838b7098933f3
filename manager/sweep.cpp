#include "sweep.h"

#include <cstdio>
#include <fstream>
#include <thread>

#include "answers.h"
#include "echo_status.h"
#include "text_cells.h"
#include "worker_group.h"

namespace halvex {

namespace {

// Seconds as the console prints a floating-point number: a leading space
// for a non-negative value, up to 15 significant digits.
std::string SecondsText(double seconds) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", seconds);
  std::string text = buffer;
  return seconds < 0 ? text : " " + text;
}

void WriteLiveHostFile(const std::filesystem::path& workDir, const std::string& prefix,
                       const DeviceTable& table) {
  // A prefix with a path separator is no block of addresses, and must not
  // steer the file out of its folder.
  if (prefix.find_first_of("/\\") != std::string::npos) return;
  std::ofstream out(LiveHostFile(workDir, prefix), std::ios::binary | std::ios::trunc);
  if (!out) return;  // no "network" folder: the list is not kept
  for (int n = kFirstHost; n <= kLastHost; ++n) {
    if (table[n].alive) out << NumberText(n) << "\r\n";
  }
}

}  // namespace

std::string LiveHostLine(int count, const std::string& prefix, int host, int ms) {
  return RightAligned(std::to_string(count), 4) + "    " + prefix + std::to_string(host) + " = " +
         NumberText(ms) + " ms" + std::string(45, ' ');
}

std::string FoundLine(int count, double elapsedSeconds) {
  return " Found" + NumberText(count) + " Alive hosts, in" + SecondsText(elapsedSeconds).substr(0, 4) +
         " seconds...";
}

std::filesystem::path LiveHostFile(const std::filesystem::path& workDir, const std::string& prefix) {
  return workDir / "network" / (prefix + "txt");
}

PingResult pingHost(const std::string& hostText, int timeoutMs, std::string_view payload,
                    EchoService& echo, DeviceTable* table) {
  PingResult result;
  std::size_t dot = hostText.rfind('.');
  int host = RoundedAnswer(dot == std::string::npos ? hostText : hostText.substr(dot + 1));
  std::this_thread::sleep_for(std::chrono::milliseconds(1));

  std::optional<std::uint32_t> address = echo.ParseDotted(hostText);
  if (!address) {
    std::string resolved = echo.ResolveName(hostText);
    if (!resolved.empty()) address = echo.ParseDotted(resolved);
  }
  if (!address) {
    result.status = echo::kBadAddress;
    result.statusText = "DNS Resolution Failure";
    return result;
  }
  std::unique_ptr<EchoHandle> handle = echo.Open();
  if (!handle) return result;
  EchoReply reply = handle->Send(*address, payload, timeoutMs);
  result.status = reply.status;
  result.statusText = statusText(reply.status);
  result.roundTripMs = static_cast<std::int32_t>(reply.roundTripMicroseconds / 1000);
  result.replied = reply.replied && reply.status == echo::kSuccess && result.roundTripMs < timeoutMs &&
                   reply.roundTripMicroseconds >= 0;
  if (result.replied && table != nullptr && host >= 0 && host < kHostCount) {
    (*table)[host].pingTime = result.roundTripMs;
    (*table)[host].replied = true;
  }
  return result;
}

namespace {

void DrawHeading(Console& console, const std::string& prefix) {
  console.Clear();
  console.Print("Scanning " + prefix + "x/24 to find 'alive' hosts.\n");
  console.Print(std::string(51, '=') + "\n");
}

// One worker per host, started startSpacing apart, with a dot for each and
// a new colour after every 32; then the count of workers still waiting for
// their answer, until none is.
void ProbeBlock(SweepSetup& setup, const std::string& prefix, DeviceTable& table) {
  Console& console = setup.console;
  WorkerGroup workers(kWorkerStackBytes);
  const auto firstStart = std::chrono::steady_clock::now();
  for (int n = kFirstHost; n <= kLastHost; ++n) {
    std::string hostText = prefix + std::to_string(n);
    // A worker that cannot be started leaves its host unanswered.
    workers.Start([hostText, &setup, &table] {
      pingHost(hostText, kEchoTimeoutMs, kEchoPayload, setup.echo, &table);
    });
    std::this_thread::sleep_until(firstStart + n * setup.startSpacing);
    console.Print(".");
    if (n % 32 == 0) {
      console.Print(" >" + RightAligned(NumberText(n), 4) + std::string(31, ' '));
      console.SetColor(setup.randomColor());
      console.MoveTo(3, 1);
    }
  }
  console.Print(std::string(9, ' ') + "\n");

  // The count shown includes the main thread, as a count of the process's
  // running threads would.
  int running = workers.Running();
  for (;;) {
    console.SetColor(color::kLightCyan);
    console.MoveTo(3, 1);
    console.Print(" Waiting for" + NumberText(running + 1) + " results...      ");
    console.SetColor(color::kLightGrey);
    if (running == 0) break;
    running = workers.WaitForChange(running, std::chrono::milliseconds(250));
  }
  workers.JoinAll();
}

// Marks the hosts that replied alive and lists them; gives their number.
int ShowResults(SweepSetup& setup, const std::string& prefix, DeviceTable& table) {
  Console& console = setup.console;
  console.SetColor(color::kLightGrey);
  console.MoveTo(3, 1);
  console.Print(std::string(47, ' ') + "\n");
  console.Print("Scan Results..." + std::string(47, ' ') + "\n");
  console.Print(std::string(15, '-') + "\n");
  int aliveCount = 0;
  for (int n = kFirstHost; n <= kLastHost; ++n) {
    if (!table[n].replied) continue;
    ++aliveCount;
    table[n].alive = true;
    console.Print(LiveHostLine(aliveCount, prefix, n, table[n].pingTime) + "\n");
  }
  return aliveCount;
}

}  // namespace

int runSweep(SweepSetup& setup, const std::string& prefix, DeviceTable& table) {
  DrawHeading(setup.console, prefix);
  const double start = setup.secondsNow();
  ProbeBlock(setup, prefix, table);
  int aliveCount = ShowResults(setup, prefix, table);
  setup.console.Print(FoundLine(aliveCount, setup.secondsNow() - start) + "\n");
  setup.console.Print(std::string(47, ' ') + "\n");
  WriteLiveHostFile(setup.workDir, prefix, table);
  return aliveCount;
}

}  // namespace halvex
