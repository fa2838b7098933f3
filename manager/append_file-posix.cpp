#include "append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace halvex {

bool AppendDurably(const std::filesystem::path& file, std::string_view line) {
  int fd = open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return false;
  struct stat before {};
  bool ok = fstat(fd, &before) == 0;
  ssize_t written = -1;
  if (ok) {
    do {
      written = write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
  }
  ok = ok && written == static_cast<ssize_t>(line.size());
  // A line written in part (a full disk) is taken back: the file ends
  // with a whole line or not at all.
  if (!ok && written > 0 && ftruncate(fd, before.st_size) != 0) {
    // Nothing more can be done about it here.
  }
  ok = ok && fsync(fd) == 0;
  return close(fd) == 0 && ok;
}

}  // namespace halvex
