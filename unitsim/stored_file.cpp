#include "stored_file.h"

#include <atomic>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace unitsim {

namespace fs = std::filesystem;

StoredFile::~StoredFile() { Discard(); }

bool StoredFile::Open() {
  // Sessions run on threads of one process: the process id and a counter
  // make the name unique, and "x" never reuses a file that exists.
  static std::atomic<unsigned> counter{0};
  fs::path target(path_);
  for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
    std::string name = ".";
    for (const std::string& part :
         {target.filename().string(), std::to_string(getpid()), std::to_string(counter++)}) {
      name += part;
      name += '.';
    }
    name += "part";
    std::string candidate = (target.parent_path() / name).string();
    file_.reset(std::fopen(candidate.c_str(), "wbx"));
    if (file_) temporary_ = candidate;
  }
  return file_ != nullptr;
}

bool StoredFile::Write(const std::uint8_t* data, std::size_t count) {
  return file_ && std::fwrite(data, 1, count, file_.get()) == count;
}

bool StoredFile::Commit() {
  if (!file_) return false;
  bool ok = std::fclose(file_.release()) == 0;
  std::error_code ec;
  if (ok) fs::rename(temporary_, path_, ec);
  if (!ok || ec) {
    Discard();
    return false;
  }
  temporary_.clear();
  return true;
}

void StoredFile::Discard() {
  file_.reset();
  if (temporary_.empty()) return;
  std::error_code ec;
  fs::remove(temporary_, ec);
  temporary_.clear();
}

}  // namespace unitsim
