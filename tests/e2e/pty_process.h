// A child program on a pseudo-terminal, for what only a terminal shows:
// prompts without echo and keyboard interrupts.
#pragma once

#include <string>
#include <sys/types.h>
#include <termios.h>
#include <vector>

namespace e2e {

class PtyProcess {
 public:
  explicit PtyProcess(const std::vector<std::string>& argv);
  ~PtyProcess();
  PtyProcess(const PtyProcess&) = delete;
  PtyProcess& operator=(const PtyProcess&) = delete;

  // Reads until text has appeared in everything read so far, or the time
  // is up; gives everything read so far.
  const std::string& ReadUntil(const std::string& text, int timeoutMs = 10000);
  void Write(const std::string& text);
  // Waits for the exit and gives the exit code (128 + signal when killed).
  int Wait(int timeoutMs = 10000);
  // Terminal settings of the child's side, as they are now.
  termios Settings() const;
  const std::string& screen() const { return seen_; }

 private:
  int master_ = -1;
  pid_t pid_ = -1;
  std::string seen_;
};

}  // namespace e2e
