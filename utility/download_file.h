// The file a download writes.
//
// A regular file (or none yet) is written to a temporary file in the same
// folder and renamed over it only when the download is complete and its
// data are on the disk: a broken, refused or interrupted download leaves
// the earlier file as it was.  The temporary file takes the earlier file's
// permissions (a new file gets the usual ones from the umask).  When the
// target is a symbolic link, the file the link names is the one replaced,
// in that file's folder, and the link stays.
//
// A target that exists and is not a regular file (a device, a named pipe,
// a socket, /dev/stdout, also reached through a link) is opened and written
// in place: nothing is ever renamed over it or removed.
//
// On POSIX systems an interrupt, termination, hang-up or broken pipe while
// the temporary file exists removes it before the process ends by the
// signal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace velkor {

class DownloadFile {
 public:
  explicit DownloadFile(std::string target);
  ~DownloadFile();
  DownloadFile(const DownloadFile&) = delete;
  DownloadFile& operator=(const DownloadFile&) = delete;

  // Creates the temporary file, or opens the target in place; false when
  // that fails.
  bool Open();
  // False on a failed write.
  bool Write(const std::uint8_t* data, std::size_t count);
  // Flushes the data to the disk and puts the file in place; false when
  // any step fails, and the temporary file is removed.
  bool Commit();
  // Closes and removes the temporary file; the target stays as it was.
  void Discard();

  // True from a successful Open until Commit or Discard.
  bool isOpen() const { return file_ != nullptr; }
  // Empty when writing in place or when nothing is open.
  const std::string& temporaryPath() const { return temporary_; }
  // The file that the download replaces or writes: the target, or the
  // file its links name.
  const std::string& destination() const { return destination_; }

 private:
  // The platform's part (download_file-posix.cpp, download_file-win32.cpp):
  // flushes the data to the disk and closes; puts the temporary file in
  // place of the destination; removes the temporary file.
  bool Close();
  static bool PutInPlace(const std::string& temporary, const std::string& destination);
  static void RemoveTemporary(const std::string& temporary);

  std::string target_;
  std::string destination_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  bool inPlace_ = false;
  std::unique_ptr<char[]> buffer_;  // the stream's own buffer
};

// Size of the stream buffer of a download.
inline constexpr std::size_t kDownloadBufferSize = 64 * 1024;

// What making a file exclusively did.
enum class Creation { kMade, kExists, kFailed };

// Makes a temporary file in `folder` for the file named `base`, named
// ".<base>.<8 hex digits>.part", with create(path), which makes the file
// only when it does not exist yet; tries new names while the one tried
// exists, 16 at most.  Gives the path made, or nothing.
std::optional<std::string> MakeTemporaryFile(const std::string& folder, const std::string& base,
                                             const std::function<Creation(const std::string&)>& create);

}  // namespace velkor
