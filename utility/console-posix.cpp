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
int g_promptFd = -1;
int g_outputFd = -1;
termios g_saved{};

void OnInterrupt(int) {
  static const char kText[] = "Interrupt\n";
  // Only async-signal-safe calls here.
  ssize_t ignored = write(g_outputFd, kText, sizeof kText - 1);
  (void)ignored;
  tcsetattr(g_promptFd, TCSANOW, &g_saved);
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
  int inFd = STDIN_FILENO;
  int outFd = STDOUT_FILENO;
  int ownFd = -1;
  if (!isatty(STDIN_FILENO)) {
    // Like ssh and sudo: ask on the controlling terminal.
    ownFd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (ownFd < 0) return std::nullopt;
    inFd = outFd = ownFd;
  }
  termios saved{};
  if (tcgetattr(inFd, &saved) != 0) {
    if (ownFd >= 0) close(ownFd);
    return std::nullopt;
  }
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
  quiet.c_lflag |= ICANON | ISIG;
  g_promptFd = inFd;
  g_outputFd = outFd;
  g_saved = saved;
  if (tcsetattr(inFd, TCSANOW, &quiet) != 0) {
    if (ownFd >= 0) close(ownFd);
    return std::nullopt;
  }

  struct sigaction onInterrupt {};
  onInterrupt.sa_handler = OnInterrupt;
  sigemptyset(&onInterrupt.sa_mask);
  struct sigaction oldInt {}, oldQuit {};
  sigaction(SIGINT, &onInterrupt, &oldInt);
  sigaction(SIGQUIT, &onInterrupt, &oldQuit);

  std::fflush(stdout);
  WriteAll(outFd, prompt, std::strlen(prompt));

  std::string text;
  bool gotAny = false;
  bool error = false;
  for (;;) {
    char c;
    ssize_t n = read(inFd, &c, 1);
    if (n < 0) {
      error = true;
      break;
    }
    if (n == 0) break;
    gotAny = true;
    if (c == '\n') break;
    if (text.size() < kMaxPassword) text += c;
  }
  // The typed line end was not echoed.
  if (gotAny || !error) WriteAll(outFd, "\n", 1);

  tcsetattr(inFd, TCSANOW, &saved);
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGQUIT, &oldQuit, nullptr);
  if (ownFd >= 0) close(ownFd);
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
