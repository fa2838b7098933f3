// The device query: every live host of the block is asked what it is.
// The system description comes from snmpwalk, or from velkor's system
// report when SNMP gives nothing; in Full mode two more walks give the
// wireless figures and the registration table.  Hosts are asked one after
// another, each child program waited for, with one progress line per host
// on the console.  Answers pass through files in the scratch folder "tmp"
// of the working folder.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "child_command.h"
#include "console.h"
#include "device_entry.h"
#include "settings.h"

namespace halvex {

inline constexpr const char* kSystemDescriptionOid = "1.3.6.1.2.1.1.1";
inline constexpr const char* kWirelessOid = "1.3.6.1.3.16313.1.25.2.1";
inline constexpr const char* kRegistrationOid = "1.3.6.1.3.16313.1.25.2.2";
inline constexpr const char* kScratchFolder = "tmp";
inline constexpr int kModeFirmware = 1;
inline constexpr int kModeFull = 2;

// Runs one command: the program at `program` with the command's words
// after the first, its output into workDir / command.answer.
using CommandRunner =
    std::function<void(const std::filesystem::path& program, const ChildCommand& command)>;

struct QuerySetup {
  explicit QuerySetup(Console& console) : console(console) {}

  Console& console;
  std::filesystem::path workDir = ".";
  std::filesystem::path snmpwalk;  // empty: looked up when the query starts
  std::filesystem::path velkor;
  // Empty: the real programs, their standard error drawn on the console.
  CommandRunner run;
  std::chrono::milliseconds childLimit{30000};
};

// What an empty `run` does: the real program, its output into
// workDir / command.answer, its standard error drawn on the console.
void RunQueryCommand(const QuerySetup& setup, const std::filesystem::path& program,
                     const ChildCommand& command);

// Asks every host 1 to 254 whose `alive` is 1 and fills its entry.
void runQuery(QuerySetup& setup, const std::string& prefix, int mode, const Settings& settings,
              DeviceTable& table);

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

// A text right-aligned in `width` columns; a longer text keeps its first
// `width` characters.
std::string FitRight(std::string_view text, std::size_t width);

}  // namespace halvex
