// The front of the manager: the usage text, the mode question, the address
// prompt and the block prefix, and the round from one block to the next.
// After a block's sweep and device query the manager waits for Esc and
// asks for the next block.
#pragma once

#include <string>
#include <vector>

#include "console.h"
#include "device_entry.h"
#include "device_query.h"
#include "settings.h"
#include "sweep.h"

namespace halvex {

inline constexpr const char* kTitle = "Halvex - AP/CPE Manager - Version 0.99h";

// The usage text shown when the program starts without a target, one entry
// per line.
const std::vector<std::string>& UsageLines();

class Manager {
 public:
  Manager(Console& console, SweepSetup& sweep, QuerySetup& query, Settings settings)
      : console_(console), sweep_(sweep), query_(query), settings_(std::move(settings)) {}

  // Runs until the operator answers the address prompt with nothing or "x";
  // gives the exit status (2 when started without a target).
  int Run(const std::string& commandLine);

  int mode() const { return mode_; }
  const std::string& prefix() const { return prefix_; }
  const Settings& settings() const { return settings_; }
  const DeviceTable& table() const { return table_; }

 private:
  // Clears the block's tables and settles the next target; false when the
  // program is to end.  The first call takes the command-line target and
  // asks for the mode; later calls ask only for the address.
  bool startBlock(std::string target, bool firstCall);
  void AskMode();
  void WaitForEscape();

  Console& console_;
  SweepSetup& sweep_;
  QuerySetup& query_;
  Settings settings_;
  DeviceTable table_;
  int mode_ = 0;
  int exitStatus_ = 0;
  std::string prefix_;
};

}  // namespace halvex
