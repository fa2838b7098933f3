#include "transfer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "switches.h"

namespace velkor {

namespace {

// The blank lines that end a progress line before a failure message.
void EndProgressLine() {
  if (!SilentMode()) std::printf("\n\n");
}

void StartProgress(const char* announcement, const std::string& path, std::uint32_t total) {
  SetProgressTotal(total);
  if (SilentMode()) return;
  std::printf(announcement, path.c_str(), static_cast<unsigned>(total / 1024));
  ShowProgress(0);
}

void FinishProgress(std::uint32_t done) {
  if (SilentMode()) return;
  ShowProgress(done);
  std::printf("\n\n");
}

void ReportBrokenUpload() {
  EndProgressLine();
  std::printf("Connection with server was broken, file not uploaded.\n\n");
}

}  // namespace

std::optional<std::uint32_t> PrepareUpload(const std::string& path, std::string* text) {
  if (!FileExists(path)) {
    std::printf("File %s does not exist.\n", path.c_str());
    return std::nullopt;
  }
  if (text) return ReadTextFile(path, *text);
  std::uint64_t size = FileSize(path);
  if (size > kMaxUploadSize) {
    std::printf("File %s is too large to upload (%llu bytes; the largest is %llu).\n",
                path.c_str(), static_cast<unsigned long long>(size),
                static_cast<unsigned long long>(kMaxUploadSize));
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(size);
}

bool CommitDownload(DownloadFile& file, const std::string& path) {
  if (file.Commit()) return true;
  std::printf("Unable to write to %s\n\n", path.c_str());
  return false;
}

bool ReceiveFile(Connection& connection, const std::string& path, DownloadFile& file) {
  std::uint32_t remaining = connection.announced();
  if (!file.Open()) return false;
  StartProgress("Saving file to: %s (%uK in size)\n", path, remaining);

  std::array<std::uint8_t, kBlockPayloadSize> payload;
  std::uint32_t received = 0;
  while (remaining != 0) {
    std::size_t length = 0;
    if (!connection.ReceiveBlock(payload.data(), length)) {
      EndProgressLine();
      std::printf("Connection to server was broken, unable to get file.\n\n");
      return false;  // the temporary file goes with `file`
    }
    if (!SilentMode()) ShowProgress(received);
    // A block that overshoots the announcement is cut to it.
    auto take = static_cast<std::uint32_t>(std::min<std::size_t>(length, remaining));
    if (!file.Write(payload.data(), take)) {
      EndProgressLine();
      std::printf("Unable to write to %s\n\n", path.c_str());
      return false;
    }
    received += take;
    remaining -= take;
  }
  FinishProgress(received);
  return true;
}

bool SendFile(Connection& connection, const std::string& path, std::uint32_t size) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  StartProgress("Sending file: %s (%uK in size)\n", path, size);

  std::array<std::uint8_t, kBlockPayloadSize> piece;
  std::uint32_t remaining = size;
  std::uint32_t sent = 0;
  while (remaining != 0) {
    std::size_t want = std::min<std::size_t>(remaining, piece.size());
    std::size_t got = std::fread(piece.data(), 1, want, file.get());
    if (got == 0) {
      EndProgressLine();
      std::printf("Unable to read from %s\n\n", path.c_str());
      return false;
    }
    if (!connection.SendBlock(piece.data(), got)) {
      ReportBrokenUpload();
      return false;
    }
    if (!SilentMode()) ShowProgress(sent);
    sent += static_cast<std::uint32_t>(got);
    remaining -= static_cast<std::uint32_t>(got);
  }
  FinishProgress(sent);
  return true;
}

bool SendText(Connection& connection, const std::string& path, std::string_view text) {
  const auto length = static_cast<std::uint32_t>(text.size());
  StartProgress("Sending file: %s (%uK in size)\n", path, length);

  std::uint32_t sent = 0;
  while (sent != length) {
    std::size_t count = std::min<std::size_t>(length - sent, kBlockPayloadSize);
    if (!connection.SendBlock(reinterpret_cast<const std::uint8_t*>(text.data()) + sent, count)) {
      ReportBrokenUpload();
      return false;
    }
    if (!SilentMode()) ShowProgress(sent);
    sent += static_cast<std::uint32_t>(count);
  }
  FinishProgress(sent);
  return true;
}

}  // namespace velkor
