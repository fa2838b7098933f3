// Downloads on Windows: a temporary file beside the target, renamed over it
// when complete.  Devices such as NUL are not regular files there either,
// but Windows renames no file over them; they are written in place.
#include "download_file.h"

#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

namespace velkor {

namespace fs = std::filesystem;

DownloadFile::DownloadFile(std::string target)
    : target_(std::move(target)), destination_(target_) {}

DownloadFile::~DownloadFile() { Discard(); }

bool DownloadFile::Open() {
  std::error_code ec;
  fs::file_status status = fs::status(target_, ec);
  buffer_ = std::make_unique<char[]>(kDownloadBufferSize);
  if (!ec && fs::exists(status) && !fs::is_regular_file(status)) {
    file_ = std::fopen(target_.c_str(), "wb");
    in_place_ = file_ != nullptr;
  } else {
    fs::path target(target_);
    std::string base = target.filename().string();
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
      std::string name = ".";
      name += base;
      name += ".";
      name += suffix;
      name += ".part";
      fs::path candidate = target.parent_path() / name;
      // "x": never reuse a file that happens to exist.
      file_ = std::fopen(candidate.string().c_str(), "wbx");
      if (file_) temporary_ = candidate.string();
      else if (errno != EEXIST) break;
    }
  }
  if (!file_) return false;
  std::setvbuf(file_, buffer_.get(), _IOFBF, kDownloadBufferSize);
  return true;
}

bool DownloadFile::Write(const std::uint8_t* data, std::size_t count) {
  return file_ && std::fwrite(data, 1, count, file_) == count;
}

bool DownloadFile::Close() {
  if (!file_) return false;
  bool ok = std::fflush(file_) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  return ok;
}

bool DownloadFile::Commit() {
  if (!file_) return false;
  bool ok = Close();
  if (in_place_) return ok;
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
