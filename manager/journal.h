// The journal of the batch actions: when the working folder holds a folder
// named "log" (never made by halvex), every batch action appends to the
// journal of its block, "log/" + block prefix + "log" (log/10.42.23.log).
// One line per event, its fields separated by one tab, LF at the end:
//
//   TIME  upgrade  ADDRESS  HARDWARE  FIRMWARE  BUILD  FILE  STATUS  LAST-LINE
//   TIME  reboot   ADDRESS  HARDWARE  FIRMWARE  BUILD  STATUS  LAST-LINE
//   TIME  batch    ACTION  UNITS  SUCCEEDED  FAILED
//   TIME  seen     ADDRESS  HARDWARE  FIRMWARE  BUILD
//
// TIME is local time with its offset from UTC (2026-12-09T17:42:03+00:00).
// The unit's fields are what the table showed before the action (the
// firmware cell says "OLD VERSION" for a server too old for the report).
// STATUS is velkor's exit status, "signal N" or "not started"; LAST-LINE
// the last non-empty line velkor left on the screen, cut at 200
// characters.  ACTION is "upgrade FILE" or "reboot".  The next query of the
// same block writes a `seen` line for every unit of the last batch: what it
// reports now, or the firmware "absent" when it no longer answers ping.
// Tabs and line ends inside a value become blanks; an empty value is an
// empty field.  Each line is appended with one write and flushed to the
// disk at once; a journal that cannot be written changes nothing else.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "device_entry.h"
#include "screen_child.h"

namespace halvex {

inline constexpr const char* kJournalFolder = "log";

class Journal {
 public:
  explicit Journal(std::filesystem::path workDir) : workDir_(std::move(workDir)) {}

  // One unit of a batch action: `file` is the firmware file of an upgrade,
  // empty for a reboot.
  void Unit(const std::string& prefix, const std::string& ip, const DeviceEntry& before,
            const std::string& file, const ScreenRun& run);
  // The end of a batch action over `ips`; they are the units the next
  // query of the block reports on.
  void Batch(const std::string& prefix, const std::string& file,
             const std::vector<std::string>& ips, int succeeded);
  // After a query of the block: the `seen` lines of the last batch's units.
  void AfterQuery(const std::string& prefix, const DeviceTable& table);

 private:
  void Write(const std::string& prefix, const std::vector<std::string>& fields);

  std::filesystem::path workDir_;
  std::string seenPrefix_;
  std::vector<std::string> seenIps_;
};

// Local time as ISO 8601 with seconds and the offset from UTC.
std::string LocalTimeText(std::time_t when);
// The status field of a finished child.
std::string StatusText(const ScreenRun& run);
// A value as one field: tabs and line ends become blanks.
std::string FieldText(std::string_view value);

}  // namespace halvex
