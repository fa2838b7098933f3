// The device query: every live host of the block is asked what it is
// (host_query.h), up to `jobs` hosts at a time, each host's children one
// after another.  The progress lines come out in ascending host order,
// exactly as asking one host after another draws them.  Answers pass
// through files in the scratch folder "tmp" of the working folder.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "console.h"
#include "device_entry.h"
#include "host_query.h"
#include "settings.h"

namespace halvex {

inline constexpr int kDefaultJobs = 32;
inline constexpr int kMostJobs = 254;

struct QuerySetup {
  explicit QuerySetup(Console& console) : console(console) {}

  Console& console;
  std::filesystem::path workDir = ".";
  std::filesystem::path snmpwalk;  // empty: looked up when the query starts
  std::filesystem::path velkor;
  // Empty: the real programs (RunQueryCommand).
  CommandRunner run;
  std::chrono::milliseconds childLimit{30000};
  int jobs = kDefaultJobs;  // hosts asked at the same time
  // The interrupt noted meanwhile (0: none).  Empty: the program's own
  // interrupts are held while the query runs.
  std::function<int()> interruptNoted;
  // Told how many hosts are drawn, each time more are.  May be empty.
  std::function<void(int drawn)> progress;
};

// What an empty `run` does: the real program, its output into
// workDir / command.answer, its standard error to `errorText`, ended after
// childLimit or when `cancel` becomes true.
void RunQueryCommand(const QuerySetup& setup, const std::filesystem::path& program,
                     const ChildCommand& command, const ErrorSink& errorText,
                     const std::atomic<bool>& cancel);

// Asks every host 1 to 254 whose `alive` is set and fills its entry.  An
// interrupt ends the children, removes the scratch files and throws
// Interrupted (interrupts.h).
void RunQuery(QuerySetup& setup, const std::string& prefix, Mode mode, const Settings& settings,
              DeviceTable& table);

}  // namespace halvex
