#include "subprocess.h"

#include "spawn-posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace halvex {

namespace {

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Reset(); }
  int get() const { return fd_; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

bool Spawn(const std::vector<std::string>& argv, FileActions& files, pid_t& pid,
           short flags = 0) {
  SpawnAttributes attributes(flags);
  return SpawnProgram(argv, files, attributes, pid) == 0;
}

using SteadyClock = std::chrono::steady_clock;

// How often a wait for a child wakes to look at its time limit and at a
// cancel: a wake costs little, but hundreds of children waited for side by
// side make many.
constexpr long long kWakeMs = 100;

// Copies what is waiting in the pipe to the receiver; false at its end.
bool Drain(int fd, const std::function<void(std::string_view)>& receiver) {
  char buffer[4096];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      if (receiver) receiver(std::string_view(buffer, static_cast<std::size_t>(n)));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    return false;
  }
}

bool Cancelled(const CaptureOptions& options) {
  return options.cancel != nullptr && options.cancel->load();
}

}  // namespace

int SpawnProgram(const std::vector<std::string>& argv, FileActions& files,
                 SpawnAttributes& attributes, pid_t& pid) {
  if (argv.empty() || argv[0].empty()) return ENOENT;
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  return posix_spawnp(&pid, argv[0].c_str(), &files.actions, &attributes.attr, args.data(),
                      environ);
}

ChildOutcome RunCaptured(const std::vector<std::string>& argv, const CaptureOptions& options) {
  ChildOutcome outcome;
  Fd output(open(options.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                 0644));
  if (output.get() < 0) return outcome;
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return outcome;
  Fd errorRead(pipeEnds[0]);
  Fd errorWrite(pipeEnds[1]);
  fcntl(errorRead.get(), F_SETFL, fcntl(errorRead.get(), F_GETFL) | O_NONBLOCK);

  FileActions files;
  posix_spawn_file_actions_addopen(&files.actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&files.actions, output.get(), 1);
  posix_spawn_file_actions_adddup2(&files.actions, errorWrite.get(), 2);
  // A process group of its own: ending the group ends what the child
  // started as well.
  pid_t pid = -1;
  if (Cancelled(options) || !Spawn(argv, files, pid, POSIX_SPAWN_SETPGROUP)) return outcome;
  outcome.started = true;
  output.Reset();
  errorWrite.Reset();

  const SteadyClock::time_point deadline = SteadyClock::now() + options.limit;
  bool pipeOpen = true;
  int status = 0;
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) break;
    SteadyClock::time_point now = SteadyClock::now();
    if (now >= deadline || Cancelled(options)) {
      kill(-pid, SIGKILL);
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      outcome.timedOut = now >= deadline;
      break;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
    if (pipeOpen) {
      // The pipe ends when the child does (or closes its standard error):
      // wait on it, waking now and then for the time limit and a cancel.
      pollfd p{errorRead.get(), POLLIN, 0};
      int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left, kWakeMs)));
      if (ready > 0) pipeOpen = Drain(errorRead.get(), options.errorText);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(left, 5)));
    }
  }
  if (pipeOpen) Drain(errorRead.get(), options.errorText);
  if (!outcome.timedOut && WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
  return outcome;
}

int RunShared(const std::vector<std::string>& argv) {
  FileActions files;
  pid_t pid = -1;
  if (!Spawn(argv, files, pid)) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool StartDetached(const std::vector<std::string>& argv) {
  FileActions files;
  posix_spawn_file_actions_addopen(&files.actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files.actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&files.actions, 2, "/dev/null", O_WRONLY, 0);
  // A session of its own: the terminal's Ctrl-C is not for it.
  pid_t pid = -1;
  if (!Spawn(argv, files, pid, POSIX_SPAWN_SETSID)) return false;
  // The program is not waited for; reap it whenever it ends.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return self.parent_path();
}

std::string ProgramFileName(std::string_view name) { return std::string(name); }

std::vector<std::filesystem::path> SearchPathFolders() {
  std::vector<std::filesystem::path> folders;
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
  for (;;) {
    std::size_t colon = rest.find(':');
    std::string_view folder = rest.substr(0, colon);
    folders.emplace_back(folder.empty() ? std::string(".") : std::string(folder));
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return folders;
}

bool IsRunnable(const std::filesystem::path& file) {
  struct stat info;
  return stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(file.c_str(), X_OK) == 0;
}

}  // namespace halvex
