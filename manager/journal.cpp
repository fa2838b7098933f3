#include "journal.h"

#include <cstdio>

#include "append_file.h"
#include "device_cells.h"

namespace halvex {

namespace {

constexpr std::size_t kLastLineLimit = 200;

// The difference of two broken-down times in minutes, for offsets of less
// than a day.
long MinutesApart(const std::tm& local, const std::tm& utc) {
  long days = local.tm_yday - utc.tm_yday;
  if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
  return days * 1440 + (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
}

}  // namespace

std::string LocalTimeText(std::time_t when) {
  // Both from the main thread only: the library's own buffers do.
  std::tm local = *std::localtime(&when);
  std::tm utc = *std::gmtime(&when);
  long offset = MinutesApart(local, utc);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, offset < 0 ? '-' : '+', (offset < 0 ? -offset : offset) / 60,
                (offset < 0 ? -offset : offset) % 60);
  return text;
}

std::string StatusText(const ScreenRun& run) {
  if (!run.started) return "not started";
  if (run.signal != 0) return "signal " + std::to_string(run.signal);
  return std::to_string(run.exitCode);
}

std::string FieldText(std::string_view value) {
  std::string text(value);
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

void Journal::Write(const std::string& prefix, const std::vector<std::string>& fields) {
  // A prefix with a path separator is no block, and must not steer the
  // file out of its folder.
  if (prefix.find_first_of("/\\") != std::string::npos) return;
  std::error_code error;
  const std::filesystem::path folder = workDir_ / kJournalFolder;
  if (!std::filesystem::is_directory(folder, error)) return;
  std::string line = LocalTimeText(std::time(nullptr));
  for (const std::string& field : fields) (line += '\t') += FieldText(field);
  AppendDurably(folder / (prefix + "log"), line + "\n");
}

void Journal::Unit(const std::string& prefix, const std::string& ip, const DeviceEntry& before,
                   const std::string& file, const ScreenRun& run) {
  std::vector<std::string> fields{file.empty() ? "reboot" : "upgrade", ip, before.hardware,
                                  FirmwareCell(before), before.build};
  if (!file.empty()) fields.push_back(file);
  fields.push_back(StatusText(run));
  fields.push_back(run.lastLine.substr(0, kLastLineLimit));
  Write(prefix, fields);
}

void Journal::Batch(const std::string& prefix, const std::string& file,
                    const std::vector<std::string>& ips, int succeeded) {
  const int units = static_cast<int>(ips.size());
  Write(prefix, {"batch", file.empty() ? "reboot" : "upgrade " + file, std::to_string(units),
                 std::to_string(succeeded), std::to_string(units - succeeded)});
  seenPrefix_ = prefix;
  seenIps_ = ips;
}

void Journal::AfterQuery(const std::string& prefix, const DeviceTable& table) {
  if (prefix != seenPrefix_ || seenIps_.empty()) return;
  for (const std::string& ip : seenIps_) {
    const int host = std::stoi(ip.substr(prefix.size()));
    const DeviceEntry& e = table[host];
    if (e.alive) {
      Write(prefix, {"seen", ip, e.hardware, FirmwareCell(e), e.build});
    } else {
      Write(prefix, {"seen", ip, "", "absent", ""});
    }
  }
  seenIps_.clear();
}

}  // namespace halvex
