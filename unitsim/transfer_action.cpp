// Actions 1-6 and 66: the stored configuration, scripts and hotspot pages
// go out and come in as whole files, and the support file is composed on
// request.  A download announces its length in the first reply; an upload
// is checked against the unit's limits before its first byte is accepted
// and replaces the stored file only once complete.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <system_error>
#include <vector>

#include "actions.h"
#include "block_stream.h"
#include "stored_file.h"
#include "report.h"
#include "storage.h"

namespace unitsim {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFileBufferBytes = 64 * 1024;

std::string Relative(const UnitDescription& unit, const fs::path& item) {
  return item.lexically_relative(UnitFolder(unit)).generic_string();
}

Outcome Refuse(ActionContext& context, std::uint8_t status, const std::string& why) {
  context.notes.push_back("status " + std::to_string(status) + " (" + why + ")");
  context.channel.SendReply(status);
  return Outcome::kClose;
}

std::string ComposeSupportFile(const Unit& unit) {
  const UnitDescription& d = unit.description;
  std::ostringstream text;
  text << "Support file of " << d.name << " (" << d.address << ")\n"
       << "Hardware " << d.settings.hardware << "\n\n"
       << "=== system information ===\n"
       << ComposeReport(unit, ReportKind::kSystemInfo) << "\n"
       << "=== kernel log ===\n"
       << ComposeReport(unit, ReportKind::kKernelLog) << "\n"
       << "=== stored files ===\n";
  std::error_code ec;
  fs::path folder = UnitFolder(d);
  std::vector<std::string> lines;
  if (fs::is_directory(folder, ec)) {
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
      if (!entry.is_regular_file(ec) || entry.path().filename().string().front() == '.') continue;
      lines.push_back(Relative(d, entry.path()) + " " + std::to_string(entry.file_size(ec)) +
                      " bytes\n");
    }
  }
  std::sort(lines.begin(), lines.end());
  for (const auto& line : lines) text << line;
  text << "=== end ===\n";
  return text.str();
}

Outcome HandleSupport(ActionContext& context) {
  if (!context.unit.description.settings.supportDrive)
    return Refuse(context, protocol::kStatusNoDrive, "no drive for the support file");
  std::string text = ComposeSupportFile(context.unit);
  auto length = static_cast<std::uint32_t>(text.size());
  context.notes.push_back("status 1, support file " + std::to_string(length) + " bytes");
  if (!context.channel.SendReply(protocol::kStatusOk, length) ||
      !SendTextBlocks(context.channel, text)) {
    context.notes.push_back("connection broken during the download");
    return Outcome::kClose;
  }
  return Outcome::kFinish;
}

}  // namespace

Outcome HandleDownload(ActionContext& context) {
  if (context.request.action == protocol::kActionSupportFile) return HandleSupport(context);
  const UnitDescription& unit = context.unit.description;
  auto item = StoredItem(unit, context.request.action, context.request.selector);
  if (!item) return Refuse(context, protocol::kStatusFailed, "unknown selector");
  if (!EnsureStored(unit, *item)) return Refuse(context, protocol::kStatusFailed, "storage");

  FilePtr file(std::fopen(item->string().c_str(), "rb"));
  // A real buffer of a batch's size: the blocks are taken from it 1460
  // bytes at a time, the file read in large pieces.
  std::vector<char> buffer(kFileBufferBytes);
  if (file) std::setvbuf(file.get(), buffer.data(), _IOFBF, buffer.size());
  std::error_code ec;
  std::uintmax_t size = fs::file_size(*item, ec);
  if (!file || ec || size > 0xFFFFFFFFu) return Refuse(context, protocol::kStatusFailed, "storage");
  auto length = static_cast<std::uint32_t>(size);
  context.notes.push_back("status 1, " + Relative(unit, *item) + " " + std::to_string(length) +
                          " bytes");
  if (!context.channel.SendReply(protocol::kStatusOk, length) ||
      !SendFileBlocks(context.channel, file.get(), length)) {
    context.notes.push_back("connection broken during the download");
    return Outcome::kClose;
  }
  return Outcome::kFinish;
}

Outcome HandleUpload(ActionContext& context) {
  const UnitDescription& unit = context.unit.description;
  const UnitSettings& s = unit.settings;
  auto item = StoredItem(unit, context.request.action, context.request.selector);
  if (!item) return Refuse(context, protocol::kStatusFailed, "unknown selector");

  const bool config = context.request.action == protocol::kActionUploadConfig;
  const std::uint32_t size = context.request.value;
  if (size > (config ? s.configMaxBytes : s.textMaxBytes))
    return Refuse(context, protocol::kStatusTooLarge, std::to_string(size) + " bytes");
  if (size < (config ? s.configMinBytes : s.textMinBytes))
    return Refuse(context, protocol::kStatusTooSmall, std::to_string(size) + " bytes");

  std::error_code ec;
  fs::create_directories(item->parent_path(), ec);
  StoredFile file(item->string());
  if (!file.Open()) return Refuse(context, protocol::kStatusFailed, "storage");
  context.notes.push_back("status 1, receiving " + std::to_string(size) + " bytes");
  if (!context.channel.SendReply(protocol::kStatusOk)) return Outcome::kClose;

  BlockResult result = ReceiveBlocks(
      context.channel, size,
      [&](const std::uint8_t* data, std::size_t count) { return file.Write(data, count); },
      s.uploadDropAfterBytes);
  if (result != BlockResult::kComplete) {
    context.notes.push_back(std::string(BlockResultText(result)) + ", " + Relative(unit, *item) +
                            " kept as it was");
    if (IsRefusal(result)) context.channel.SendReply(protocol::kStatusFailed);
    return Outcome::kClose;
  }
  if (!file.Commit()) return Refuse(context, protocol::kStatusFailed, "storage");
  context.notes.push_back("stored " + Relative(unit, *item));
  return Outcome::kFinish;
}

}  // namespace unitsim
