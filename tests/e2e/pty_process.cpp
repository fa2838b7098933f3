#include "pty_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

PtyProcess::PtyProcess(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
  if (pid_ == 0) {
    execv(args[0], args.data());
    _exit(127);
  }
  if (pid_ < 0) ADD_FAILURE() << "forkpty failed";
}

PtyProcess::~PtyProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0) close(master_);
}

const std::string& PtyProcess::ReadUntil(const std::string& text, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (seen_.find(text) == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char buffer[4096];
    ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) break;  // the child has gone and closed its side
    seen_.append(buffer, static_cast<std::size_t>(n));
  }
  return seen_;
}

void PtyProcess::Write(const std::string& text) {
  ssize_t ignored = write(master_, text.data(), text.size());
  (void)ignored;
}

int PtyProcess::Wait(int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  for (;;) {
    ReadUntil("\x01never\x01", 20);  // keep draining the terminal
    if (waitpid(pid_, &status, WNOHANG) == pid_) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "child did not end";
      return -1;
    }
  }
  pid_ = -1;
  // Whatever the child wrote just before it ended is still in the terminal.
  ReadUntil("\x01never\x01", 200);
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}

termios PtyProcess::Settings() const {
  termios t{};
  tcgetattr(master_, &t);
  return t;
}

}  // namespace e2e
