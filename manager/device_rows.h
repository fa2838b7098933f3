// What the device table and the batch actions share: the rows of live
// units, and what both need from the world outside (the password, velkor,
// and how children, the terminal program, the help file and pauses are
// run).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "console.h"
#include "device_entry.h"
#include "journal.h"
#include "screen_child.h"

namespace halvex {

inline constexpr int kRowCapacity = 256;
inline constexpr const char* kHelpFile = "readme.txt";

// A live host as the table shows it: its address and a copy of its entry
// (without alive and sysDescr; the MAC address without spaces).
struct DeviceRow {
  std::string ip;
  DeviceEntry entry;
};

// What the table and the batch actions need from the world outside.
struct TableSetup {
  explicit TableSetup(Console& console) : console(console) {}

  Console& console;
  std::filesystem::path workDir = ".";
  std::string password;
  std::filesystem::path velkor = "velkor";  // as found by the query
  // Runs a velkor on the manager's screen and waits for it.
  std::function<ScreenRun(const std::vector<std::string>& argv)> runOnScreen;
  // Starts a program that is not waited for (the terminal program).
  std::function<void(const std::vector<std::string>& argv)> startDetached;
  // Shows the help file; the table is drawn again afterwards.
  std::function<void()> showHelp;
  std::function<void(int ms)> sleep;
  std::string terminalProgram = "putty";
  // Where the batch actions are recorded; none: not recorded.
  Journal* journal = nullptr;
};

}  // namespace halvex
