// Downloads on Windows: a temporary file beside the target, renamed over it
// when complete.  Devices such as NUL are not regular files there either,
// but Windows renames no file over them; they are written in place.
#include "download_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace velkor {

namespace fs = std::filesystem;

bool DownloadFile::Open() {
  destination_ = target_;  // Windows follows no links here
  std::error_code ec;
  fs::file_status status = fs::status(target_, ec);
  buffer_ = std::make_unique<char[]>(kDownloadBufferSize);
  if (!ec && fs::exists(status) && !fs::is_regular_file(status)) {
    file_ = std::fopen(target_.c_str(), "wb");
    inPlace_ = file_ != nullptr;
  } else {
    fs::path target(target_);
    std::string folder = target.parent_path().string();
    if (folder.empty()) folder = ".";
    std::optional<std::string> made =
        MakeTemporaryFile(folder, target.filename().string(), [this](const std::string& path) {
          // "x": never reuse a file that happens to exist.
          file_ = std::fopen(path.c_str(), "wbx");
          if (file_) return Creation::kMade;
          return errno == EEXIST ? Creation::kExists : Creation::kFailed;
        });
    if (made) temporary_ = *made;
  }
  if (!file_) return false;
  std::setvbuf(file_, buffer_.get(), _IOFBF, kDownloadBufferSize);
  return true;
}

bool DownloadFile::Close() {
  if (!file_) return false;
  bool ok = std::fflush(file_) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  return ok;
}

bool DownloadFile::PutInPlace(const std::string& temporary, const std::string& destination) {
  std::error_code ec;
  fs::rename(temporary, destination, ec);
  return !ec;
}

void DownloadFile::RemoveTemporary(const std::string& temporary) {
  std::error_code ec;
  fs::remove(temporary, ec);
}

}  // namespace velkor
