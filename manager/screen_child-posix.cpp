#include "screen_child.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "child_output.h"
#include "spawn-posix.h"

namespace halvex {

namespace {

// A key as the bytes a terminal would send for it.
std::string KeyBytes(const InputEvent& e) {
  if (e.type != InputEvent::Type::kKey || e.character == 0) return {};
  if (e.character == kEnter) return "\r";
  if (e.character == kBackspace) return "\x7f";
  return std::string(1, static_cast<char>(e.character));
}

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

// Reads what the child wrote; false when its side has closed.
bool Pump(int master, ChildOutput& output) {
  char buffer[4096];
  for (;;) {
    ssize_t n = read(master, buffer, sizeof buffer);
    if (n > 0) {
      output.Write(std::string_view(buffer, static_cast<std::size_t>(n)));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
}

}  // namespace

ScreenRun RunOnScreen(const std::vector<std::string>& argv, Console& console) {
  auto refuse = [&](const char* why) {
    console.Print("halvex: cannot start " + (argv.empty() ? std::string("a program") : argv[0]) +
                  " (" + why + ")\n");
    return ScreenRun{};
  };
  if (argv.empty() || argv[0].empty()) return refuse("no program");
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return refuse(std::strerror(errno));
  if (grantpt(master) != 0 || unlockpt(master) != 0) {
    close(master);
    return refuse(std::strerror(errno));
  }
  std::string slave = ptsname(master);
  winsize size{};
  size.ws_row = kScreenRows;
  size.ws_col = kScreenColumns;
  ioctl(master, TIOCSWINSZ, &size);

  // A session of its own, whose controlling terminal is the slave it opens.
  SpawnAttributes attributes(POSIX_SPAWN_SETSID);
  FileActions files;
  posix_spawn_file_actions_addopen(&files.actions, 0, slave.c_str(), O_RDWR, 0);
  posix_spawn_file_actions_adddup2(&files.actions, 0, 1);
  posix_spawn_file_actions_adddup2(&files.actions, 0, 2);
  pid_t pid = -1;
  int rc = SpawnProgram(argv, files, attributes, pid);
  if (rc != 0) {
    close(master);
    return refuse(std::strerror(rc));
  }
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

  ChildOutput output(console);
  console.PassKeysToChild(true);
  int status = 0;
  bool open = true;
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) break;
    if (open) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 10) > 0) open = Pump(master, output);
    } else {
      usleep(2000);
    }
    while (std::optional<InputEvent> key = console.PollEvent(0)) {
      if (open) WriteAll(master, KeyBytes(*key));
    }
  }
  if (open) Pump(master, output);
  console.PassKeysToChild(false);
  close(master);
  ScreenRun run;
  run.started = true;
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  run.lastLine = output.LastLine();
  return run;
}

}  // namespace halvex
