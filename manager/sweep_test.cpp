#include "sweep.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "test_fake_echo.h"
#include "test_memory_screen.h"

namespace halvex {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class SweepTest : public testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(testing::TempDir()) /
          ("halvex-sweep-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir / "network");
    setup.workDir = dir;
    setup.startSpacing = std::chrono::milliseconds(0);
    setup.secondsNow = [this] { return clock; };
    setup.randomColor = [this] {
      markerRows.push_back(screen.Row(3));
      clock += 0.9591;  // seven markers: 6.7137 s in all
      return 1 + static_cast<int>(markerRows.size() % 7);
    };
  }
  void TearDown() override { fs::remove_all(dir); }

  int Sweep(const std::string& prefix = "10.42.23.") { return runSweep(setup, prefix, table); }

  fs::path dir;
  MemoryScreen screen;
  Console console{screen};
  FakeEcho echo;
  SweepSetup setup{console, echo};
  DeviceTable table;
  double clock = 1000;
  std::vector<std::string> markerRows;
};

TEST_F(SweepTest, ListsTheLiveHostsWithTheirTimes) {
  echo.replies[5] = FakeEcho::Answer(12'400);
  echo.replies[9] = FakeEcho::Answer(400);  // under a millisecond
  echo.replies[17] = FakeEcho::Answer(2'999'999);
  echo.replies[33] = FakeEcho::Answer(3'000'000);  // too late
  echo.replies[40] = FakeEcho::Failure(echo::kHostUnreachable);
  echo.replies[120] = FakeEcho::Answer(1'000);
  EXPECT_EQ(Sweep(), 4);
  EXPECT_EQ(echo.sent(), 254);

  std::vector<std::string> expected = {
      "Scanning 10.42.23.x/24 to find 'alive' hosts.",
      std::string(51, '='),
      "",
      "Scan Results...",
      "---------------",
      "   1    10.42.23.5 =  12 ms",
      "   2    10.42.23.9 =  0 ms",
      "   3    10.42.23.17 =  2999 ms",
      "   4    10.42.23.120 =  1 ms",
      " Found 4 Alive hosts, in 6.7 seconds...",
  };
  EXPECT_EQ(screen.Rows(), expected);
  EXPECT_EQ(console.Row(), 12);
  EXPECT_EQ(console.Column(), 1);
  // Trailing spaces of the list lines, as they blank older text.
  EXPECT_EQ(LiveHostLine(1, "10.42.23.", 5, 12), "   1    10.42.23.5 =  12 ms" + std::string(45, ' '));

  EXPECT_EQ(table[5].alive, 1);
  EXPECT_EQ(table[5].pingTime, 12);
  EXPECT_EQ(table[9].alive, 1);
  EXPECT_EQ(table[9].pingTime, 0);
  EXPECT_EQ(table[17].pingTime, 2999);
  EXPECT_EQ(table[33].alive, 0);
  EXPECT_EQ(table[33].pingTime, 0);
  EXPECT_EQ(table[40].alive, 0);
  EXPECT_EQ(ReadFile(dir / "network" / "10.42.23.txt"), " 5\r\n 9\r\n 17\r\n 120\r\n");
}

TEST_F(SweepTest, ProgressMarkersFollowEvery32Hosts) {
  Sweep();
  ASSERT_EQ(markerRows.size(), 7u);  // after 32, 64, ... 224; not after 254
  EXPECT_EQ(markerRows[0], std::string(32, '.') + " >  32");
  EXPECT_EQ(markerRows[3], std::string(32, '.') + " > 128");
  EXPECT_EQ(markerRows[6], std::string(32, '.') + " > 224");
  // The dots after a marker take the new colour.
  EXPECT_EQ(screen.At(1, 1).foreground, 7);
}

TEST_F(SweepTest, NoLiveHostWritesAnEmptyList) {
  fs::path file = dir / "network" / "10.42.23.txt";
  std::ofstream(file) << "old\r\n";
  EXPECT_EQ(Sweep(), 0);
  EXPECT_EQ(screen.Row(6), " Found 0 Alive hosts, in 6.7 seconds...");
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(ReadFile(file), "");
}

TEST_F(SweepTest, AFullBlockScrollsTheScreen) {
  for (int n = 1; n <= 254; ++n) echo.replies[n] = FakeEcho::Answer(n * 1000 + 500);
  EXPECT_EQ(Sweep(), 254);
  EXPECT_EQ(screen.Row(42), " 254    10.42.23.254 =  254 ms");
  EXPECT_EQ(screen.Row(43), " Found 254 Alive hosts, in 6.7 seconds...");
  EXPECT_EQ(screen.scrolls, 262 - 45);
  EXPECT_EQ(screen.scrolledOff[0], "Scanning 10.42.23.x/24 to find 'alive' hosts.");
  std::string file = ReadFile(dir / "network" / "10.42.23.txt");
  EXPECT_EQ(file.substr(0, 8), " 1\r\n 2\r\n");
  EXPECT_EQ(file.substr(file.size() - 12), " 253\r\n 254\r\n");
}

TEST_F(SweepTest, WithoutTheNetworkFolderTheListIsNotKept) {
  fs::remove_all(dir / "network");
  echo.replies[7] = FakeEcho::Answer(2'000);
  EXPECT_EQ(Sweep(), 1);
  EXPECT_FALSE(fs::exists(dir / "network"));
  EXPECT_EQ(screen.Row(7), " Found 1 Alive hosts, in 6.7 seconds...");
}

TEST_F(SweepTest, APrefixWithoutDotsLooksTheNamesUp) {
  echo.replies[5] = FakeEcho::Answer(2'000);
  EXPECT_EQ(Sweep("."), 0);
  EXPECT_EQ(echo.sent(), 0);
  EXPECT_EQ(echo.lookups.size(), 254u);
  EXPECT_EQ(screen.Row(1), "Scanning .x/24 to find 'alive' hosts.");
  EXPECT_EQ(ReadFile(dir / "network" / ".txt"), "");
}

TEST_F(SweepTest, APrefixWithAPathDoesNotWriteOutsideTheFolder) {
  EXPECT_EQ(Sweep("../escape."), 0);
  EXPECT_FALSE(fs::exists(dir / "escape.txt"));
}

TEST_F(SweepTest, NoEchoHandleMeansNoAnswer) {
  echo.replies[5] = FakeEcho::Answer(2'000);
  echo.refuseHandles = true;
  EXPECT_EQ(Sweep(), 0);
}

TEST_F(SweepTest, ASecondSweepStartsFromTheClearedAnswers) {
  echo.replies[5] = FakeEcho::Answer(2'000);
  Sweep();
  table.ClearSweep();
  echo.replies.clear();
  echo.replies[6] = FakeEcho::Answer(3'000);
  EXPECT_EQ(Sweep(), 1);
  EXPECT_EQ(table[5].alive, 0);
  EXPECT_EQ(table[6].alive, 1);
  EXPECT_EQ(ReadFile(dir / "network" / "10.42.23.txt"), " 6\r\n");
}

TEST(PingHost, RecordsOnlyTimelySuccessfulReplies) {
  FakeEcho echo;
  DeviceTable table;
  echo.replies[5] = FakeEcho::Answer(2'999'000);
  PingResult r = pingHost("10.42.23.5", 3000, kEchoPayload, echo, &table);
  EXPECT_TRUE(r.replied);
  EXPECT_EQ(r.roundTripMs, 2999);
  EXPECT_EQ(r.statusText, "Success                 ");
  EXPECT_EQ(table[5].pingTime, 2999);

  r = pingHost("10.42.23.6", 3000, kEchoPayload, echo, &table);
  EXPECT_FALSE(r.replied);
  EXPECT_EQ(r.status, echo::kTimedOut);
  EXPECT_EQ(r.statusText, "Req timed out           ");
  EXPECT_FALSE(table[6].replied);

  r = pingHost("tower", 3000, kEchoPayload, echo, &table);
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.statusText, "DNS Resolution Failure");
}

TEST(SweepTexts, FoundLineKeepsFourCharactersOfTheTime) {
  EXPECT_EQ(FoundLine(3, 6.734), " Found 3 Alive hosts, in 6.7 seconds...");
  EXPECT_EQ(FoundLine(0, 12.5), " Found 0 Alive hosts, in 12. seconds...");
  EXPECT_EQ(FoundLine(254, 7), " Found 254 Alive hosts, in 7 seconds...");
  EXPECT_EQ(FoundLine(1, 0.25), " Found 1 Alive hosts, in 0.2 seconds...");
}

TEST(ResolveDottedQuad, TheFirstAddressOfANameAsDottedText) {
  // From the hosts file: no lookup leaves the machine.
  EXPECT_EQ(resolveDottedQuad("localhost"), "127.0.0.1");
}

}  // namespace
}  // namespace halvex
