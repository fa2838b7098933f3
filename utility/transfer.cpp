#include "transfer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>


namespace velkor {

namespace {

// The blank lines that end a progress line before a failure message.
void EndProgressLine(const RunOutput& output) {
  if (!output.silent) std::printf("\n\n");
}

void StartProgress(RunOutput& output, const char* announcement, const std::string& path,
                   std::uint32_t total) {
  output.progress.SetTotal(total);
  if (output.silent) return;
  std::printf(announcement, path.c_str(), static_cast<unsigned>(total / 1024));
  output.progress.ShowProgress(0);
}

void FinishProgress(RunOutput& output, std::uint32_t done) {
  if (output.silent) return;
  output.progress.ShowProgress(done);
  std::printf("\n\n");
}

void ReportBrokenUpload(const RunOutput& output) {
  EndProgressLine(output);
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

bool ReceiveFile(Connection& connection, const std::string& path, DownloadFile& file,
                 RunOutput& output) {
  std::uint32_t remaining = connection.announced();
  if (!file.Open()) return false;
  StartProgress(output, "Saving file to: %s (%uK in size)\n", path, remaining);

  std::uint32_t received = 0;
  while (remaining != 0) {
    const std::uint8_t* payload = nullptr;
    std::size_t length = 0;
    if (!connection.ReceiveBlockInPlace(payload, length)) {
      EndProgressLine(output);
      std::printf("Connection to server was broken, unable to get file.\n\n");
      return false;  // the temporary file goes with `file`
    }
    if (!output.silent) output.progress.ShowProgress(received);
    // A block that overshoots the announcement is cut to it.
    auto take = static_cast<std::uint32_t>(std::min<std::size_t>(length, remaining));
    if (!file.Write(payload, take)) {
      EndProgressLine(output);
      std::printf("Unable to write to %s\n\n", path.c_str());
      return false;
    }
    received += take;
    remaining -= take;
  }
  FinishProgress(output, received);
  return true;
}

namespace {

enum class SendResult { kSent, kReadFailed, kSendFailed };

// Sends `total` bytes, taken from fill(out, want) (which gives how many it
// wrote, 0 on failure), as DataBlocks of 1460 bytes, the last shorter: as
// many whole blocks as fit into one send of up to 64 KiB, their payloads
// taken in one piece.  After each send, the progress line is drawn once
// per block in it, as it would be after each block sent alone.
template <class Fill>
SendResult SendBlocks(Connection& connection, RunOutput& output, std::uint32_t total, Fill fill) {
  std::vector<std::uint8_t> payloads(kBlocksPerSend * kBlockPayloadSize);
  std::vector<std::uint8_t> batch(kBlocksPerSend * kDataBlockSize);
  std::uint32_t remaining = total;
  std::uint32_t sent = 0;
  while (remaining != 0) {
    const std::size_t want = std::min<std::size_t>(remaining, payloads.size());
    for (std::size_t got = 0; got < want;) {
      std::size_t n = fill(payloads.data() + got, want - got);
      if (n == 0) return SendResult::kReadFailed;
      got += n;
    }
    const std::size_t blocks = (want + kBlockPayloadSize - 1) / kBlockPayloadSize;
    for (std::size_t i = 0; i < blocks; ++i) {
      const std::size_t at = i * kBlockPayloadSize;
      EncodeBlockInto(std::span<std::uint8_t, kDataBlockSize>(batch.data() + i * kDataBlockSize,
                                                             kDataBlockSize),
                      std::span(payloads.data() + at, std::min(kBlockPayloadSize, want - at)));
    }
    if (!connection.SendAll(batch.data(), blocks * kDataBlockSize)) return SendResult::kSendFailed;
    if (!output.silent) {
      for (std::size_t i = 0; i < blocks; ++i) {
        output.progress.ShowProgress(sent + static_cast<std::uint32_t>(i * kBlockPayloadSize));
      }
    }
    sent += static_cast<std::uint32_t>(want);
    remaining -= static_cast<std::uint32_t>(want);
  }
  return SendResult::kSent;
}

}  // namespace

bool SendFile(Connection& connection, const std::string& path, std::uint32_t size,
              RunOutput& output) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  // Every read is of a whole batch: straight from the file, no stdio copy.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  StartProgress(output, "Sending file: %s (%uK in size)\n", path, size);
  switch (SendBlocks(connection, output, size, [&](std::uint8_t* out, std::size_t want) {
    return std::fread(out, 1, want, file.get());
  })) {
    case SendResult::kReadFailed:
      EndProgressLine(output);
      std::printf("Unable to read from %s\n\n", path.c_str());
      return false;
    case SendResult::kSendFailed:
      ReportBrokenUpload(output);
      return false;
    case SendResult::kSent:
      break;
  }
  FinishProgress(output, size);
  return true;
}

bool SendText(Connection& connection, const std::string& path, std::string_view text,
              RunOutput& output) {
  const auto length = static_cast<std::uint32_t>(text.size());
  StartProgress(output, "Sending file: %s (%uK in size)\n", path, length);
  std::size_t at = 0;
  if (SendBlocks(connection, output, length, [&](std::uint8_t* out, std::size_t want) {
        std::memcpy(out, text.data() + at, want);
        at += want;
        return want;
      }) != SendResult::kSent) {
    ReportBrokenUpload(output);
    return false;
  }
  FinishProgress(output, length);
  return true;
}

}  // namespace velkor
