#include "localfile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <random>
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
  ++line_length_;
  if (c == '\0') dropping_ = true;
  if (!dropping_) out_ += c;
  if (c == '\n' || line_length_ == kLineReadSize) {
    line_length_ = 0;
    dropping_ = false;
  }
}

bool TextModeReader::Feed(std::string_view bytes) {
  for (char c : bytes) {
    if (ended_) return false;
    if (pending_cr_) {
      pending_cr_ = false;
      if (c == '\n') {
        Emit('\n');
        continue;
      }
      Emit('\r');
    }
    if (c == kEndOfText) {
      ended_ = true;
    } else if (c == '\r') {
      pending_cr_ = true;
    } else {
      Emit(c);
    }
  }
  return !ended_;
}

void TextModeReader::Finish() {
  if (pending_cr_) Emit('\r');
  pending_cr_ = false;
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

DownloadFile::~DownloadFile() { Discard(); }

bool DownloadFile::Open() {
  fs::path target(target_);
  fs::path folder = target.parent_path();
  std::string base = target.filename().string();
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
    fs::path candidate = folder / ("." + base + "." + suffix + ".part");
    // "x": never reuse a file that happens to exist.
    file_ = std::fopen(candidate.string().c_str(), "wbx");
    if (file_) temporary_ = candidate.string();
    else if (errno != EEXIST) break;
  }
  if (!file_) return false;
  std::setvbuf(file_, nullptr, _IOFBF, kReadChunk);
  return true;
}

bool DownloadFile::Write(const std::uint8_t* data, std::size_t count) {
  return file_ && std::fwrite(data, 1, count, file_) == count;
}

bool DownloadFile::Commit() {
  if (!file_) return false;
  bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  std::error_code ec;
  if (ok) fs::rename(temporary_, target_, ec);
  if (!ok || ec) {
    Discard();
    return false;
  }
  temporary_.clear();
  return true;
}

void DownloadFile::Discard() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) {
    std::error_code ec;
    fs::remove(temporary_, ec);
    temporary_.clear();
  }
}

}  // namespace velkor
