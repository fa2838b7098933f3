// The front of the manager: the usage text, the mode question, the address
// prompt and the block prefix, and the round from one block to the next.
// After a block's sweep and device query the device table runs until Esc,
// which asks for the next block, or F5, which sweeps the block again.
#pragma once

#include <string>
#include <vector>

#include "console.h"
#include "device_entry.h"
#include "device_query.h"
#include "device_table.h"
#include "settings.h"
#include "sweep.h"

namespace halvex {

inline constexpr const char* kTitle = "Halvex - AP/CPE Manager - Version 0.99h";

// The usage text shown when the program starts without a target, one entry
// per line.
const std::vector<std::string>& UsageLines();

class Manager {
 public:
  Manager(Console& console, SweepSetup& sweep, QuerySetup& query, TableSetup& table,
          Settings settings)
      : console_(console),
        sweep_(sweep),
        query_(query),
        tableSetup_(table),
        settings_(std::move(settings)),
        screen_(table) {}

  // Runs until the operator answers the address prompt with nothing or "x";
  // gives the exit status (2 when started without a target).
  int Run(const std::string& commandLine);

  Mode mode() const { return mode_; }
  const std::string& prefix() const { return prefix_; }
  const Settings& settings() const { return settings_; }
  const DeviceTable& table() const { return table_; }
  DeviceTableScreen& screen() { return screen_; }

 private:
  // Clears the block's tables and settles the next target; false when the
  // program is to end.  The first call takes the command-line target and
  // asks for the mode; later calls ask only for the address.
  bool startBlock(std::string target, bool firstCall);
  void AskMode();

  Console& console_;
  SweepSetup& sweep_;
  QuerySetup& query_;
  TableSetup& tableSetup_;
  Settings settings_;
  DeviceTable table_;
  DeviceTableScreen screen_;
  Mode mode_ = Mode::kFirmware;
  int exitStatus_ = 0;
  std::string prefix_;
};

}  // namespace halvex
