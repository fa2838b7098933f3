// The unitsim program itself: exit statuses, messages, the ready file and a
// clean stop on SIGTERM.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "test_client.h"

namespace unitsim {
namespace {

namespace fs = std::filesystem;

class UnitsimProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("unitsim-cli-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    fs::remove_all(dir_);
  }

  fs::path Write(const std::string& name, const std::string& text) {
    fs::path path = dir_ / name;
    std::ofstream(path) << text;
    return path;
  }

  std::string Read(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Starts unitsim with stderr going to dir_/stderr.
  void Start(std::vector<std::string> args) {
    args.insert(args.begin(), UNITSIM_PROGRAM);
    std::string errors = (dir_ / "stderr").string();
    pid_ = fork();
    if (pid_ == 0) {
      FILE* out = std::freopen(errors.c_str(), "w", stderr);
      if (out == nullptr) _exit(127);
      std::vector<char*> argv;
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
  }

  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  int Run(std::vector<std::string> args) {
    Start(std::move(args));
    return Wait();
  }

  std::string Errors() { return Read(dir_ / "stderr"); }

  // Waits for the ready file; gives its text, or "" when the program ended.
  std::string WaitForReady(const fs::path& ready) {
    while (!fs::exists(ready)) {
      int status;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return "";
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Read(ready);
  }

  fs::path dir_;
  pid_t pid_ = -1;
};

constexpr const char* kTwoUnits =
    "[[unit]]\naddress = \"10.1.1.1\"\nname = \"first\"\n"
    "[[unit]]\naddress = \"10.1.1.2\"\nname = \"second\"\npassword = \"Other\"\n";

TEST_F(UnitsimProgram, ServesUntilSigterm) {
  fs::path lab = Write("lab.toml", kTwoUnits);
  fs::path ready = dir_ / "ready";
  fs::path log = dir_ / "requests.log";
  Start({"--bind", "127.0.0.1", "--port", "0", "--ready-file", ready.string(), "--log",
         log.string(), lab.string()});
  std::string lines = WaitForReady(ready);
  ASSERT_FALSE(lines.empty()) << Errors();
  EXPECT_FALSE(fs::exists(dir_ / "ready.tmp"));

  std::istringstream in(lines);
  std::string address, name;
  unsigned port1 = 0, port2 = 0;
  in >> address >> port1 >> name;
  EXPECT_EQ(address, "127.0.0.1");
  EXPECT_EQ(name, "first");
  in >> address >> port2 >> name;
  EXPECT_EQ(name, "second");
  EXPECT_NE(port1, port2);

  test::Exchange e = test::RunRequest(static_cast<std::uint16_t>(port2), "Other",
                                      protocol::kActionSystemInfo);
  EXPECT_EQ(e.verdict, 1);
  ASSERT_TRUE(e.data.has_value());
  EXPECT_EQ(e.data->substr(0, e.data->find('\n')), "System information for second (10.1.1.2)");

  kill(pid_, SIGTERM);
  EXPECT_EQ(Wait(), 0);
  std::string requests = Read(log);
  EXPECT_NE(requests.find(" second from 127.0.0.1:"), std::string::npos) << requests;
  EXPECT_NE(requests.find("login ok, action 64 sysinfo"), std::string::npos) << requests;
  EXPECT_EQ(Errors(), "");
}

TEST_F(UnitsimProgram, BadUseAndBadFilesExitWithStatus2) {
  EXPECT_EQ(Run({}), 2);
  EXPECT_EQ(Errors().substr(0, 44), "unitsim: no description file given\nusage: un");
  EXPECT_EQ(Run({"--port", "http", "x.toml"}), 2);

  fs::path bad = Write("bad.toml", "[[unit]]\naddress = \"10.1.1.1\"\nname = \"a\"\nprot = 1\n");
  EXPECT_EQ(Run({bad.string()}), 2);
  EXPECT_EQ(Errors(), "unitsim: " + bad.string() + ":4: unknown key 'prot' in [[unit]]\n");

  fs::path lab = Write("lab.toml", kTwoUnits);
  EXPECT_EQ(Run({"--bind", "127.0.0.1", lab.string()}), 2);
  EXPECT_EQ(Errors(),
            "unitsim: units 'first' and 'second' would both listen on 127.0.0.1:856 (use --port 0 "
            "or distinct ports)\n");
}

TEST_F(UnitsimProgram, APortInUseExitsWithStatus1) {
  fs::path lab = Write("lab.toml", "[[unit]]\naddress = \"127.0.0.1\"\nname = \"a\"\n");
  fs::path ready = dir_ / "ready";
  Start({"--port", "0", "--ready-file", ready.string(), lab.string()});
  std::string lines = WaitForReady(ready);
  ASSERT_FALSE(lines.empty()) << Errors();
  std::string port = lines.substr(10, lines.find(' ', 10) - 10);
  pid_t first = pid_;

  Start({"--port", port, lab.string()});
  EXPECT_EQ(Wait(), 1);
  EXPECT_EQ(Errors(), "unitsim: cannot listen on 127.0.0.1:" + port +
                          " for unit 'a': Address already in use\n");
  pid_ = first;
  kill(pid_, SIGINT);
  EXPECT_EQ(Wait(), 0);
}

}  // namespace
}  // namespace unitsim
