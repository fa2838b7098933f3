// Connections cut after exactly N bytes, in either direction, for every
// action whose exchange ends: every offset of the frames, and the first
// and last bytes of each data block with one inside.  Every run ends within
// seconds with exit status 1, never with the success line; a download
// keeps the earlier file and leaves no temporary file.
//
// The throughput test has no planned end and is left out.  A denser sweep
// (every byte of every block) runs on demand with FAULT_SWEEP=dense.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>

#include "cutting_proxy.h"
#include "frames.h"
#include "harness.h"

namespace e2e {
namespace {

struct Action {
  const char* name;
  std::vector<std::string> options;  // {file} stands for the action's file
  bool download = false;
};

// The example unit, flashing without pauses and in few steps.
std::string DemoUnit() {
  std::string text = ReadFile(std::string(UNITSIM_EXAMPLES) + "/demo.toml");
  for (auto [from, to] : {std::pair<std::string, std::string>{"flash_steps = 10", "flash_steps = 2"},
                          {"flash_step_ms = 150", "flash_step_ms = 0"}}) {
    std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
  }
  return text;
}

// The offsets of one direction of an exchange of `total` bytes whose
// messages are the fixed frames at its start and then DataBlocks.
std::set<std::uint64_t> Offsets(std::uint64_t total, std::uint64_t frames, bool dense) {
  std::set<std::uint64_t> at;
  for (std::uint64_t n = 0; n < std::min(total, frames); ++n) at.insert(n);
  for (std::uint64_t start = frames; start < total; start += protocol::kDataBlockSize) {
    std::uint64_t end = std::min(total, start + protocol::kDataBlockSize);
    if (dense) {
      for (std::uint64_t n = start; n < end; ++n) at.insert(n);
      continue;
    }
    for (std::uint64_t n : {start, start + 1, start + 2, start + 731, end - 8, end - 1})
      if (n >= start && n < end) at.insert(n);
  }
  // The last bytes (the final reply) every time.
  for (std::uint64_t n = total > 8 ? total - 8 : 0; n < total; ++n) at.insert(n);
  return at;
}

class FaultInjection : public ::testing::TestWithParam<Action> {};

TEST_P(FaultInjection, EveryCutEndsAsAFailure) {
  const Action& action = GetParam();
  const bool dense = std::getenv("FAULT_SWEEP") && std::string(std::getenv("FAULT_SWEEP")) == "dense";
  TempDir dir;
  std::string file = dir.File("data.bin");
  Unitsim unit(DemoUnit());
  CuttingProxy proxy(unit.port());

  auto prepare = [&] {
    if (action.download) {
      WriteFile(file, "the earlier file");
    } else {
      std::string data;
      for (int i = 0; i < 300; ++i) data += "line " + std::to_string(i) + " of the upload\n";
      WriteFile(file, data);
    }
  };
  auto options = [&] {
    std::vector<std::string> out;
    for (const std::string& o : action.options) out.push_back(o == "{file}" ? file : o);
    return out;
  };

  prepare();
  proxy.NoCut();
  RunResult whole = VelkorAgainst(proxy.port(), options());
  ASSERT_EQ(whole.exitCode, 0) << action.name << "\n" << whole.out;
  ByteCounts total = proxy.LastCounts();
  ASSERT_GT(total.toClient, 0u);

  // The frames before the first block: hello, login result and the first
  // reply one way; login frame and request the other.
  const std::uint64_t clientFrames =
      protocol::kServerHelloSize + protocol::kLoginResultSize + protocol::kReplyFrameSize;
  const std::uint64_t serverFrames = protocol::kLoginFrameSize + protocol::kRequestFrameSize;
  int runs = 0;
  for (Direction direction : {Direction::kToClient, Direction::kToServer}) {
    std::uint64_t size = direction == Direction::kToClient ? total.toClient : total.toServer;
    std::uint64_t frames = direction == Direction::kToClient ? clientFrames : serverFrames;
    for (std::uint64_t cut : Offsets(size, frames, dense)) {
      prepare();
      proxy.SetCut(direction, cut);
      auto start = std::chrono::steady_clock::now();
      RunResult r = VelkorAgainst(proxy.port(), options());
      auto took = std::chrono::steady_clock::now() - start;
      ++runs;
      std::string where = std::string(action.name) +
                          (direction == Direction::kToClient ? " to the client" : " to the server") +
                          " cut after " + std::to_string(cut) + " of " + std::to_string(size);
      EXPECT_EQ(r.exitCode, 1) << where << "\n" << r.out;
      EXPECT_FALSE(r.timedOut) << where;
      EXPECT_LT(took, std::chrono::seconds(5)) << where;
      EXPECT_EQ(r.out.find("Operation has completed successfuly."), std::string::npos) << where;
      if (action.download) {
        EXPECT_EQ(ReadFile(file), "the earlier file") << where;
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"data.bin"})
            << where << ": a temporary file was left";
      }
      if (::testing::Test::HasFailure()) return;
    }
  }
  RecordProperty("runs", runs);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, FaultInjection,
    ::testing::Values(Action{"sysinfo", {"-sysinfo"}}, Action{"kernlog", {"-kernlog"}},
                      Action{"download", {"-d", "{file}"}, true},
                      Action{"script_download", {"-dscr", "fw", "{file}"}, true},
                      Action{"page_download", {"-dpage", "login", "{file}"}, true},
                      Action{"support", {"-support", "{file}"}, true},
                      Action{"upload", {"-u", "{file}"}},
                      Action{"script_upload", {"-uscr", "fw", "{file}"}},
                      Action{"page_upload", {"-upage", "status", "{file}"}},
                      Action{"firmware", {"-f", "{file}"}},
                      Action{"firmware_apply", {"-f", "{file}", "-a"}},
                      Action{"card", {"-ci", "wlan0"}}, Action{"associations", {"-ai", "wlan0", "-da"}},
                      Action{"ppp", {"-list_ppp"}}, Action{"hotspot", {"-list_hot"}},
                      Action{"hotspot_simple", {"-list_hot_simple"}},
                      Action{"disconnect_ppp", {"-dis_ppp", "alice"}},
                      Action{"disconnect_user", {"-dis_hot_user", "bob"}},
                      Action{"disconnect_ip", {"-dis_hot_ip", "10.5.50.2"}},
                      Action{"reboot", {"-reboot"}}),
    [](const ::testing::TestParamInfo<Action>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
