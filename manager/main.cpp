// halvex: the device manager.  Start-up is here; everything else is in
// halvex_core.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "console.h"
#include "device_query.h"
#include "icmp.h"
#include "settings.h"
#include "startup.h"
#include "sweep.h"
#include "terminal.h"

int main(int argc, char** argv) {
  using namespace halvex;

  std::string target;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) target += ' ';
    target += argv[i];
  }

  IcmpProbe probe = ProbeIcmp();
  if (probe.access == IcmpAccess::kNone) {
    std::fprintf(stderr,
                 "halvex: cannot send ICMP echo requests (%s). Run halvex as root, or give it the "
                 "capability with 'setcap cap_net_raw+ep halvex', or allow datagram ICMP sockets "
                 "with 'sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"'.\n",
                 probe.problem.c_str());
    return 1;
  }
  std::unique_ptr<EchoService> echo = MakeEchoService(probe.access);
  Settings settings = ReadSettings(kSettingsFile);

  std::string problem;
  std::unique_ptr<Terminal> terminal = OpenTerminal(kTitle, problem);
  if (!terminal) {
    std::fprintf(stderr, "halvex: %s\n", problem.c_str());
    return 1;
  }
  Console console(*terminal);
  std::mt19937 random(std::random_device{}());
  SweepSetup sweep{console, *echo};
  sweep.secondsNow = [] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  };
  sweep.randomColor = [&random] { return std::uniform_int_distribution<int>(1, 7)(random); };

  int status = 1;
  try {
    QuerySetup query(console);
    Manager manager(console, sweep, query, settings);
    status = manager.Run(target);
  } catch (const InputClosed&) {
    terminal->Close();
    std::fprintf(stderr, "halvex: the terminal has closed.\n");
    return 1;
  }
  terminal->Close();
  return status;
}
