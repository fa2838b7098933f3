#include "download_file.h"

#include <random>

namespace velkor {

std::optional<std::string> MakeTemporaryFile(const std::string& folder, const std::string& base,
                                             const std::function<Creation(const std::string&)>& create) {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
    std::string candidate = folder;
    candidate += "/.";
    candidate += base;
    candidate += ".";
    candidate += suffix;
    candidate += ".part";
    switch (create(candidate)) {
      case Creation::kMade: return candidate;
      case Creation::kExists: continue;  // never reuse a file that happens to exist
      case Creation::kFailed: return std::nullopt;
    }
  }
  return std::nullopt;
}

DownloadFile::DownloadFile(std::string target) : target_(std::move(target)) {}

DownloadFile::~DownloadFile() { Discard(); }

bool DownloadFile::Write(const std::uint8_t* data, std::size_t count) {
  return file_ && std::fwrite(data, 1, count, file_) == count;
}

bool DownloadFile::Commit() {
  if (!file_) return false;
  bool ok = Close();
  if (inPlace_) return ok;
  if (!ok || !PutInPlace(temporary_, destination_)) {
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
    RemoveTemporary(temporary_);
    temporary_.clear();
  }
}

}  // namespace velkor
