// Running the real programs in end-to-end tests: velkor and unitsim as
// child processes with captured output, and a private folder per test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

const std::string& VelkorPath();
// Empty when the simulated unit is not part of this build.
const std::string& UnitsimPath();
std::string GoldenFile(const std::string& name);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

struct RunOptions {
  std::string input;      // written to standard input, which is then closed
  int timeoutMs = 30000;  // the child is killed after this
  std::string cwd;         // empty: the test's own
};

struct RunResult {
  int exitCode = -1;  // 0-255, or 128 + signal
  std::string out;
  std::string err;
  bool timedOut = false;
};

// Starts argv in a new session without a controlling terminal.
RunResult RunProgram(const std::vector<std::string>& argv, const RunOptions& options = {});
RunResult RunVelkor(const std::vector<std::string>& args, const RunOptions& options = {});
// velkor logging in to 127.0.0.1 on the port with the password "BlueOx",
// then the options.
RunResult VelkorAgainst(std::uint16_t port, const std::vector<std::string>& options);

// The same velkor started and not waited for: standard input from the null
// device, standard output and error opened from the paths given (created
// or emptied), every signal at its default action.  Gives the process id,
// or -1 when it could not be started.
int StartVelkor(std::uint16_t port, const std::vector<std::string>& options,
                const std::string& output, const std::string& errors);

// A folder removed with its contents at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // The names of the files inside, sorted.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

// A simulated unit serving a description on 127.0.0.1 and a free port.
class Unitsim {
 public:
  explicit Unitsim(const std::string& description, std::vector<std::string> extraArgs = {});
  ~Unitsim();
  Unitsim(const Unitsim&) = delete;
  Unitsim& operator=(const Unitsim&) = delete;

  std::uint16_t port() const { return port_; }
  std::string portText() const { return std::to_string(port_); }
  const std::string& folder() const { return dir_.path(); }
  std::string Log() const;
  // Stops the server and waits for it.
  void Stop();

 private:
  TempDir dir_;
  int pid_ = -1;
  std::uint16_t port_ = 0;
};

inline RunResult VelkorAgainst(const Unitsim& unit, const std::vector<std::string>& options) {
  return VelkorAgainst(unit.port(), options);
}

// Base of the fixtures that run the simulated unit: their tests are skipped
// in a build without it.
template <class Base = ::testing::Test>
class UnitsimTest : public Base {
 protected:
  void SetUp() override {
    if (UnitsimPath().empty()) GTEST_SKIP() << "unitsim is not part of this build";
  }
};

}  // namespace e2e
