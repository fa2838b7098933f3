#include "console.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace velkor {

namespace {

constexpr std::size_t kMaxPassword = 50;

// Shared with the signal handler; written before it is installed.
int g_prompt_fd = -1;
int g_output_fd = -1;
termios g_saved{};

void OnInterrupt(int) {
  static const char kText[] = "Interrupt\n";
  // Only async-signal-safe calls here.
  ssize_t ignored = write(g_output_fd, kText, sizeof kText - 1);
  (void)ignored;
  tcsetattr(g_prompt_fd, TCSANOW, &g_saved);
  _exit(255);  // -1 as an 8-bit exit status
}

void WriteAll(int fd, const char* text, std::size_t count) {
  while (count > 0) {
    ssize_t n = write(fd, text, count);
    if (n <= 0) return;
    text += n;
    count -= static_cast<std::size_t>(n);
  }
}

}  // namespace

std::optional<std::string> PromptPassword(const char* prompt) {
  int in_fd = STDIN_FILENO;
  int out_fd = STDOUT_FILENO;
  int own_fd = -1;
  if (!isatty(STDIN_FILENO)) {
    // Like ssh and sudo: ask on the controlling terminal.
    own_fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (own_fd < 0) return std::nullopt;
    in_fd = out_fd = own_fd;
  }
  termios saved{};
  if (tcgetattr(in_fd, &saved) != 0) {
    if (own_fd >= 0) close(own_fd);
    return std::nullopt;
  }
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
  quiet.c_lflag |= ICANON | ISIG;
  g_prompt_fd = in_fd;
  g_output_fd = out_fd;
  g_saved = saved;
  if (tcsetattr(in_fd, TCSANOW, &quiet) != 0) {
    if (own_fd >= 0) close(own_fd);
    return std::nullopt;
  }

  struct sigaction on_interrupt {};
  on_interrupt.sa_handler = OnInterrupt;
  sigemptyset(&on_interrupt.sa_mask);
  struct sigaction old_int {}, old_quit {};
  sigaction(SIGINT, &on_interrupt, &old_int);
  sigaction(SIGQUIT, &on_interrupt, &old_quit);

  std::fflush(stdout);
  WriteAll(out_fd, prompt, std::strlen(prompt));

  std::string text;
  bool got_any = false;
  bool error = false;
  for (;;) {
    char c;
    ssize_t n = read(in_fd, &c, 1);
    if (n < 0) {
      error = true;
      break;
    }
    if (n == 0) break;
    got_any = true;
    if (c == '\n') break;
    if (text.size() < kMaxPassword) text += c;
  }
  // The typed line end was not echoed.
  if (got_any || !error) WriteAll(out_fd, "\n", 1);

  tcsetattr(in_fd, TCSANOW, &saved);
  sigaction(SIGINT, &old_int, nullptr);
  sigaction(SIGQUIT, &old_quit, nullptr);
  if (own_fd >= 0) close(own_fd);
  return text;
}

bool OutputReaderGone() {
  struct stat info {};
  if (fstat(STDOUT_FILENO, &info) != 0) return false;
  if (!S_ISFIFO(info.st_mode) && !S_ISSOCK(info.st_mode)) return false;
  pollfd p{STDOUT_FILENO, POLLOUT, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & POLLERR) != 0;
}

}  // namespace velkor
