// Downloads on POSIX systems.  The data reach the disk before the rename
// (fsync of the file) and the rename reaches it before success is reported
// (fsync of its folder), so that a power cut cannot leave an empty file
// behind a success message.
#include "download_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkor {

namespace {

// ---- removal of the temporary file when a signal ends the process -------
//
// The handler does only what is safe there: unlink a path prepared
// beforehand, put back the default action and raise the signal again, so
// that the process ends by it as it would have (a shell sees 130 for
// Ctrl-C).

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
constexpr std::size_t kSignalCount = std::size(kCleanupSignals);

char g_temporary[PATH_MAX];
volatile std::sig_atomic_t g_armed = 0;
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount];

void OnEndingSignal(int signalNumber) {
  if (g_armed) unlink(g_temporary);
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  sigemptyset(&defaultAction.sa_mask);
  sigaction(signalNumber, &defaultAction, nullptr);
  raise(signalNumber);  // delivered when the handler returns
}

void ArmCleanup(const std::string& path) {
  if (path.size() >= sizeof g_temporary) return;  // it stays; nothing else is lost
  std::memcpy(g_temporary, path.c_str(), path.size() + 1);
  g_armed = 1;
  struct sigaction onSignal {};
  onSignal.sa_handler = OnEndingSignal;
  sigemptyset(&onSignal.sa_mask);
  for (int s : kCleanupSignals) sigaddset(&onSignal.sa_mask, s);
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    g_installed[i] = false;
    if (sigaction(kCleanupSignals[i], nullptr, &g_previous[i]) != 0) continue;
    // A signal the process was started to ignore (nohup, a background
    // job) stays ignored.
    if (g_previous[i].sa_handler == SIG_IGN) continue;
    g_installed[i] = sigaction(kCleanupSignals[i], &onSignal, nullptr) == 0;
  }
}

void DisarmCleanup() {
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    if (g_installed[i]) sigaction(kCleanupSignals[i], &g_previous[i], nullptr);
    g_installed[i] = false;
  }
  g_armed = 0;
}

// The cleanup signals blocked for as long as one of these lives.
class HeldSignals {
 public:
  HeldSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kCleanupSignals) sigaddset(&set, s);
    sigprocmask(SIG_BLOCK, &set, &before_);
  }
  ~HeldSignals() { sigprocmask(SIG_SETMASK, &before_, nullptr); }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
  sigset_t before_;
};

// ---- the file that a target names ---------------------------------------

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links (at most 40, as the system does) to the path of
// the file they name, which need not exist yet.
std::string FollowLinks(std::string path) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat link {};
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) break;
    char text[PATH_MAX];
    ssize_t n = readlink(path.c_str(), text, sizeof text - 1);
    if (n <= 0) break;
    std::string named(text, static_cast<std::size_t>(n));
    path = named[0] == '/' ? named : FolderOf(path) + "/" + named;
  }
  return path;
}

void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  // Some file systems cannot sync a folder; the file itself is on disk.
  fsync(fd);
  close(fd);
}

}  // namespace

bool DownloadFile::Open() {
  destination_ = FollowLinks(target_);
  struct stat existing {};
  bool exists = stat(destination_.c_str(), &existing) == 0;
  int fd = -1;
  if (exists && !S_ISREG(existing.st_mode)) {
    // Opening a named pipe waits for its reader, as writing to it would.
    fd = open(destination_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    inPlace_ = true;
  } else {
    // The ending signals wait while the file is made and its clean-up
    // armed: one that came in between would leave the file behind.
    HeldSignals held;
    std::optional<std::string> made =
        MakeTemporaryFile(FolderOf(destination_), BaseOf(destination_), [&fd](const std::string& path) {
          fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
          if (fd >= 0) return Creation::kMade;
          return errno == EEXIST ? Creation::kExists : Creation::kFailed;
        });
    if (!made) return false;
    temporary_ = *made;
    ArmCleanup(temporary_);
    if (exists) {
      // The replacement keeps the earlier file's owner (where allowed) and
      // permissions, before any data are in it.
      [[maybe_unused]] int owned = fchown(fd, existing.st_uid, existing.st_gid);
      fchmod(fd, existing.st_mode & 07777);
    }
  }
  file_ = fdopen(fd, "wb");
  if (!file_) {
    close(fd);
    Discard();
    return false;
  }
  buffer_ = std::make_unique<char[]>(kDownloadBufferSize);
  std::setvbuf(file_, buffer_.get(), _IOFBF, kDownloadBufferSize);
  return true;
}

bool DownloadFile::Close() {
  bool ok = std::fflush(file_) == 0;
  // A device or pipe may not be able to sync; a regular file must.
  if (ok && fsync(fileno(file_)) != 0 && !inPlace_) ok = false;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  return ok;
}

bool DownloadFile::PutInPlace(const std::string& temporary, const std::string& destination) {
  if (std::rename(temporary.c_str(), destination.c_str()) != 0) return false;
  DisarmCleanup();
  SyncFolder(FolderOf(destination));
  return true;
}

void DownloadFile::RemoveTemporary(const std::string& temporary) {
  unlink(temporary.c_str());
  DisarmCleanup();
}

}  // namespace velkor
