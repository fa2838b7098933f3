#include "localfile.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

namespace velkor {

namespace fs = std::filesystem;

namespace {

constexpr char kEndOfText = 0x1A;
constexpr int kLineReadSize = 1023;  // characters per line-by-line read
constexpr std::size_t kReadChunk = 64 * 1024;

}  // namespace

bool FileExists(const std::string& path) {
  std::error_code ec;
  (void)fs::status(path, ec);
  return !ec;
}

std::uint64_t FileSize(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return 0;
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) return 0;
  std::uintmax_t size = fs::file_size(path, ec);
  return ec ? 0 : static_cast<std::uint64_t>(size);
}

void TextModeReader::Emit(char c) {
  ++lineLength_;
  if (c == '\0') dropping_ = true;
  if (!dropping_) out_ += c;
  if (c == '\n' || lineLength_ == kLineReadSize) {
    lineLength_ = 0;
    dropping_ = false;
  }
}

bool TextModeReader::Feed(std::string_view bytes) {
  for (char c : bytes) {
    if (ended_) return false;
    if (pendingCr_) {
      pendingCr_ = false;
      if (c == '\n') {
        Emit('\n');
        continue;
      }
      Emit('\r');
    }
    if (c == kEndOfText) {
      ended_ = true;
    } else if (c == '\r') {
      pendingCr_ = true;
    } else {
      Emit(c);
    }
  }
  return !ended_;
}

void TextModeReader::Finish() {
  if (pendingCr_) Emit('\r');
  pendingCr_ = false;
}

std::uint32_t ReadTextFile(const std::string& path, std::string& text) {
  text.clear();
  std::uint64_t size = FileSize(path);
  if (size == 0 || size > kMaxTextFileSize) return 0;
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) return 0;

  std::string read;
  read.reserve(size);
  TextModeReader reader(read);
  std::string chunk(kReadChunk, '\0');
  std::uint64_t left = size;  // a file that grew since is read to its old size
  while (left > 0) {
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kReadChunk));
    std::size_t got = std::fread(chunk.data(), 1, want, file.get());
    if (got == 0) break;
    left -= got;
    if (!reader.Feed(std::string_view(chunk.data(), got))) break;
  }
  reader.Finish();
  text = std::move(read);
  return static_cast<std::uint32_t>(text.size());
}

}  // namespace velkor
