#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;

const std::string& VelkorPath() {
  static const std::string path = VELKOR_PATH;
  return path;
}

const std::string& UnitsimPath() {
  static const std::string path = UNITSIM_PATH;
  return path;
}

std::string GoldenFile(const std::string& name) { return ReadFile(std::string(GOLDEN_DIR) + "/" + name); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

bool FileExists(const std::string& path) { return fs::exists(path); }

namespace {

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  for (const auto& a : argv) pointers.push_back(const_cast<char*>(a.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

RunResult RunProgram(const std::vector<std::string>& argv, const RunOptions& options) {
  RunResult result;
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe2(inPipe, O_CLOEXEC) || pipe2(outPipe, O_CLOEXEC) || pipe2(errPipe, O_CLOEXEC)) {
    ADD_FAILURE() << "pipe: " << std::strerror(errno);
    return result;
  }
  std::vector<char*> args = ArgvPointers(argv);
  const char* cwd = options.cwd.empty() ? nullptr : options.cwd.c_str();
  pid_t pid = fork();
  if (pid == 0) {
    setsid();  // no controlling terminal
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    if (cwd && chdir(cwd) != 0) _exit(126);
    execv(args[0], args.data());
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  if (!options.input.empty()) {
    signal(SIGPIPE, SIG_IGN);
    ssize_t ignored = write(inPipe[1], options.input.data(), options.input.size());
    (void)ignored;
  }
  close(inPipe[1]);

  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs);
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int openCount = 2;
  while (openCount > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, static_cast<int>(left)) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[65536];
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --openCount;
      }
    }
  }
  for (auto& f : fds)
    if (f.fd >= 0) close(f.fd);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = ExitCodeOf(status);
  return result;
}

RunResult RunVelkor(const std::vector<std::string>& args, const RunOptions& options) {
  std::vector<std::string> argv = {VelkorPath()};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProgram(argv, options);
}

RunResult VelkorAgainst(std::uint16_t port, const std::vector<std::string>& options) {
  std::vector<std::string> args = {"127.0.0.1", "BlueOx", "-p", std::to_string(port)};
  args.insert(args.end(), options.begin(), options.end());
  return RunVelkor(args);
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "e2e-XXXXXX").string();
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp: " << std::strerror(errno);
  path_ = pattern;
}

std::vector<std::string> TempDir::Names() const {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

int StartVelkor(std::uint16_t port, const std::vector<std::string>& options,
                const std::string& output, const std::string& errors) {
  std::vector<std::string> argv = {VelkorPath(), "127.0.0.1", "BlueOx", "-p",
                                   std::to_string(port)};
  argv.insert(argv.end(), options.begin(), options.end());
  std::vector<char*> args = ArgvPointers(argv);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  // The signals start with their default actions, whatever the test runner set.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigdefault(&attributes, &all);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return pid;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

Unitsim::Unitsim(const std::string& description, std::vector<std::string> extraArgs) {
  if (UnitsimPath().empty()) {
    ADD_FAILURE() << "unitsim is not part of this build";
    return;
  }
  WriteFile(dir_.File("unit.toml"), description);
  std::vector<std::string> argv = {UnitsimPath(),  "--bind",       "127.0.0.1",
                                   "--port",       "0",            "--ready-file",
                                   dir_.File("ready"), "--log",    dir_.File("log"),
                                   "--state",      dir_.File("state")};
  argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
  argv.push_back(dir_.File("unit.toml"));
  std::vector<char*> args = ArgvPointers(argv);
  std::string errPath = dir_.File("stderr");
  pid_ = fork();
  if (pid_ == 0) {
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(err, 2);
    execv(args[0], args.data());
    _exit(127);
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    std::istringstream ready(ReadFile(dir_.File("ready")));
    std::string address;
    unsigned port = 0;
    if (ready >> address >> port) {
      port_ = static_cast<std::uint16_t>(port);
      return;
    }
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      ADD_FAILURE() << "unitsim ended at start: " << ReadFile(errPath);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ADD_FAILURE() << "unitsim did not become ready: " << ReadFile(errPath);
}

void Unitsim::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

Unitsim::~Unitsim() { Stop(); }

std::string Unitsim::Log() const { return ReadFile(dir_.File("log")); }

}  // namespace e2e
