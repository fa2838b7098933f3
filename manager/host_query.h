// Asking one host what it is: the system description walk; velkor's system
// report when SNMP gave nothing; in Full mode the wireless walk, and the
// registration walk when the wireless answer allows it.  Each child is run
// and waited for before the next; what the progress line shows is given as
// drawing steps (query_board.h), the child's standard error among them, and
// what the host answered is written into its entry.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "child_command.h"
#include "device_entry.h"
#include "query_board.h"
#include "settings.h"

namespace halvex {

inline constexpr const char* kSystemDescriptionOid = "1.3.6.1.2.1.1.1";
inline constexpr const char* kWirelessOid = "1.3.6.1.3.16313.1.25.2.1";
inline constexpr const char* kRegistrationOid = "1.3.6.1.3.16313.1.25.2.2";
inline constexpr const char* kScratchFolder = "tmp";

// Receives what a child writes to its standard error, as it comes.
using ErrorSink = std::function<void(std::string_view)>;

// Runs one command: the program at `program` with the command's words after
// the first, its output into the answer file below the working folder, its
// standard error to `errorText`; ended early when `cancel` becomes true.
using CommandRunner = std::function<void(const std::filesystem::path& program,
                                         const ChildCommand& command, const ErrorSink& errorText,
                                         const std::atomic<bool>& cancel)>;

// What asking a host needs: the programs, how they are run, the settings.
struct HostAsking {
  std::filesystem::path workDir;
  std::filesystem::path snmpwalk;
  std::filesystem::path velkor;
  CommandRunner run;
  const Settings& settings;
  Mode mode;
  const std::atomic<bool>& cancel;
  // Called with each answer file before its child runs (for the clean-up).
  std::function<void(const std::filesystem::path&)> noteFile;
};

// Asks host `host` at `ip`, writing `entry`; the drawing steps go to slot
// `slot` of `board`.  Stops between children once `cancel` is set.
void AskHost(const HostAsking& asking, int host, const std::string& ip, DeviceEntry& entry,
             QueryBoard& board, std::size_t slot);

// The command lines.
ChildCommand SnmpWalkCommand(const std::string& community, const std::string& ip,
                             const char* oid, const char* answerSuffix);
ChildCommand SystemReportCommand(const std::string& ip, const std::string& password);

// The start of a host's progress line: the address padded so that what
// follows lines up for hosts 1 to 254, then " | Ver = ".
std::string ProgressStart(const std::string& ip, int host);

// Firmware, build and hardware from the system description.
void SplitDescription(DeviceEntry& entry);

// The registration count of an answer line: its leading whole number, 0
// when there is none or when it is no count (negative, or too large).
std::int16_t RegistrationCount(std::string_view line);

}  // namespace halvex
