// Nothing lost and nothing reported as success that failed: output that
// cannot be written, downloads into things that are not regular files,
// and downloads ended by a signal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "harness.h"
#include "scripted_peer.h"

namespace e2e {
namespace {

int WaitStatus(pid_t pid) {
  int status = 0;
  for (int i = 0; i < 1000; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  ADD_FAILURE() << "velkor did not end";
  return status;
}

// A unit whose kernel log is far larger than a pipe holds.
std::string UnitDescription() {
  std::string log;
  for (int i = 0; i < 4000; ++i) log += "kernel: line " + std::to_string(i) + " of the log\n";
  return "[[unit]]\naddress = \"127.0.0.1\"\nname = \"e2e-out\"\npassword = \"BlueOx\"\n"
         "kernlog = \"\"\"\n" + log + "\"\"\"\n";
}

// A report written to a full standard output: the run fails, and says so.
TEST(OutputErrors, AReportIntoAFullOutputFails) {
  TempDir dir;
  Unitsim unit(UnitDescription());
  for (const char* action : {"-sysinfo", "-kernlog", "-list_ppp", "-list_hot"}) {
    pid_t pid = StartVelkor(unit.port(), {action}, "/dev/full", dir.File("err.txt"));
    int status = WaitStatus(pid);
    ASSERT_TRUE(WIFEXITED(status)) << action;
    EXPECT_EQ(WEXITSTATUS(status), 1) << action;
    EXPECT_EQ(ReadFile(dir.File("err.txt")),
              "velkor: unable to write its output to standard output\n")
        << action;
  }
}

// velkor -kernlog | head -c 1: no message, and not the status of success,
// whether the broken pipe ends velkor by its signal or fails its writes.
TEST(OutputErrors, AClosedPipeEndsTheRunWithoutAMessage) {
  Unitsim unit(UnitDescription());
  for (const char* pipeSignal : {"default", "ignored"}) {
    std::string ignore = std::string(pipeSignal) == "ignored" ? "trap '' PIPE; " : "";
    RunResult r = RunProgram({"/bin/bash", "-c",
                              ignore + "\"$0\" 127.0.0.1 BlueOx -p \"$1\" -kernlog | "
                                       "(head -c 1 >/dev/null); echo \"${PIPESTATUS[0]}\"",
                              VelkorPath(), unit.portText()});
    EXPECT_NE(r.out, "0\n") << pipeSignal;
    EXPECT_NE(r.out, "") << pipeSignal;
    EXPECT_EQ(r.err, "") << pipeSignal;
  }
}

// A download into a named pipe: the reader gets the bytes, the pipe stays.
TEST(DownloadTargets, ANamedPipeGetsTheBytesAndStaysAPipe) {
  TempDir dir;
  std::string pipe = dir.File("backup.fifo");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string data(5000, 'c');
  ScriptedPeer peer = LoggedInPeer([&](PeerLink& link) {
    link.SendReply(1, static_cast<std::uint32_t>(data.size()));
    for (std::size_t at = 0; at < data.size(); at += 1460) link.SendBlock(data.substr(at, 1460));
    link.SendReply(1);
  });
  std::string read;
  std::thread reader([&] {
    int fd = open(pipe.c_str(), O_RDONLY);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) read.append(buffer, static_cast<std::size_t>(n));
    close(fd);
  });
  RunResult r = VelkorAgainst(peer, {"-d", pipe, "-s"});
  reader.join();
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(read, data);
  struct stat st {};
  ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"backup.fifo"});
}

// A download ended by a signal keeps the earlier file, leaves no temporary
// file, and the process ends by that signal.
TEST(DownloadTargets, AnInterruptedDownloadLeavesNothingBehind) {
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    TempDir dir;
    std::string target = dir.File("unit.cfg");
    WriteFile(target, "yesterday");
    std::atomic<bool> started{false};
    ScriptedPeer peer = LoggedInPeer([&](PeerLink& link) {
      link.SendReply(1, 1000000);
      link.SendBlock(std::string(1460, 'n'));
      started = true;
      link.ReceiveRest();  // until velkor is gone
    });
    pid_t pid = StartVelkor(peer.port(), {"-d", target, "-s"}, dir.File("out.txt"),
                            dir.File("err.txt"));
    for (int i = 0; i < 500 && !started; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(started);
    // The temporary file exists while the download waits for more.
    for (int i = 0; i < 500 && dir.Names().size() < 4; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(dir.Names().size(), 4u);  // err.txt, out.txt, unit.cfg and the temporary file
    kill(pid, signalNumber);
    int status = WaitStatus(pid);
    peer.Join();
    ASSERT_TRUE(WIFSIGNALED(status)) << signalNumber;
    EXPECT_EQ(WTERMSIG(status), signalNumber);
    EXPECT_EQ(ReadFile(target), "yesterday");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"err.txt", "out.txt", "unit.cfg"}));
  }
}

}  // namespace
}  // namespace e2e
