// halvex: the device manager.  Start-up is here; everything else is in
// halvex_core.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <cstdio>
#include <random>
#include <string>

#include "command_line.h"
#include "console.h"
#include "device_query.h"
#include "device_table.h"
#include "screen_child.h"
#include "subprocess.h"
#include "icmp.h"
#include "interrupts.h"
#include "inventory.h"
#include "settings.h"
#include "startup.h"
#include "sweep.h"
#include "terminal.h"

namespace {

// F10: the help file in the platform's viewer.  A missing file changes
// nothing.
void ShowHelp(halvex::Terminal& terminal) {
  if (!std::filesystem::is_regular_file(halvex::kHelpFile)) return;
  terminal.ShowFile(halvex::kHelpFile);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace halvex;

  const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!line.problem.empty()) {
    std::fprintf(stderr, "halvex: %s\n%s", line.problem.c_str(), Synopsis().c_str());
    return 1;
  }
  if (line.action == CommandLine::Action::kHelp || line.action == CommandLine::Action::kVersion) {
    std::fputs((line.action == CommandLine::Action::kHelp ? HelpText() : VersionText()).c_str(),
               stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
  }

  IcmpProbe probe = ProbeIcmp();
  if (probe.access == IcmpAccess::kNone) {
    std::fprintf(stderr, "halvex: cannot send ICMP echo requests (%s).%s\n", probe.problem.c_str(),
                 IcmpAdvice().c_str());
    return 1;
  }
  std::unique_ptr<EchoService> echo = MakeEchoService(probe.access);
  Settings settings = ReadSettings(kSettingsFile);
  if (line.action == CommandLine::Action::kInventory) {
    try {
      return RunInventory(line, *echo, settings);
    } catch (const Interrupted& interrupted) {
      EndByInterrupt(interrupted.signal);
    }
  }

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
    if (line.jobs != 0) query.jobs = line.jobs;
    TableSetup table(console);
    table.runOnScreen = [&console](const std::vector<std::string>& argv) {
      return RunOnScreen(argv, console);
    };
    Journal journal(".");
    table.journal = &journal;
    table.startDetached = [](const std::vector<std::string>& argv) { StartDetached(argv); };
    table.showHelp = [&terminal] { ShowHelp(*terminal); };
    table.sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    if (const char* program = std::getenv("HALVEX_TERMINAL"); program != nullptr && *program) {
      table.terminalProgram = program;
    }
    Manager manager(console, sweep, query, table, settings);
    status = manager.Run(line.target);
  } catch (const InputClosed&) {
    terminal->Close();
    std::fprintf(stderr, "halvex: the terminal has closed.\n");
    return 1;
  } catch (const Interrupted& interrupted) {
    terminal->Close();
    EndByInterrupt(interrupted.signal);
  }
  terminal->Close();
  return status;
}
