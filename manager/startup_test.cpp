#include "startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_fake_echo.h"
#include "test_child_command.h"
#include "test_memory_screen.h"

namespace halvex {
namespace {

namespace fs = std::filesystem;

class StartupTest : public testing::Test {
 protected:
  void SetUp() override {
    sweep.workDir = fs::path(testing::TempDir());
    sweep.startSpacing = std::chrono::milliseconds(0);
    sweep.secondsNow = [] { return 0.0; };
    sweep.randomColor = [] { return 3; };
    query.workDir = sweep.workDir;
    // No child program runs here: every answer is empty.
    query.run = [this](const fs::path&, const ChildCommand& command, const ErrorSink&,
                       const std::atomic<bool>&) {
      commands.push_back(CommandLineText(command));
    };
  }

  // Runs the manager until the scripted input runs out; gives the screen
  // rows at that moment.
  std::vector<std::string> RunUntilInputEnds(const std::string& commandLine) {
    std::vector<std::string> rows;
    screen.onInputEnd = [&] { rows = screen.Rows(); };
    Manager manager(console, sweep, query, tableSetup, Settings{});
    EXPECT_THROW(manager.Run(commandLine), InputClosed);
    return rows;
  }

  // The screen of the sweep and query, as the device table found it.
  std::vector<std::string> SweepScreen() {
    for (const std::vector<std::string>& rows : screen.screensCleared) {
      if (!rows.empty() && rows[0].rfind("Scanning ", 0) == 0) return rows;
    }
    return {};
  }

  MemoryScreen screen;
  Console console{screen};
  FakeEcho echo;
  SweepSetup sweep{console, echo};
  QuerySetup query{console};
  TableSetup tableSetup{console};
  std::vector<std::string> commands;
};

const std::vector<std::string> kModeQuestion = {
    " First, what Mode do you want to operate in? Select 'Firmware' or",
    " 'Full' Mode. Using just the 'Firmware' mode will be a bit faster",
    " than Full mode if you just want to do Firmware Updates, since it",
    " won't waste time reading CPE information that you may not need.",
    "",
};

TEST_F(StartupTest, WithoutATargetShowsUsageModeQuestionAndAddressPrompt) {
  screen.Type("1\n");
  std::vector<std::string> rows = RunUntilInputEnds("");
  std::vector<std::string> expected = UsageLines();
  expected.insert(expected.end(), {"", "", ""});
  expected.insert(expected.end(), kModeQuestion.begin(), kModeQuestion.end());
  expected.push_back(" Select 1=Firmware Mode, 2=Full Mode 1");
  expected.push_back(" Enter the IP of the AP to query,");
  expected.push_back(" or just RETURN by itself to quit. >");
  EXPECT_EQ(rows, expected);
  ASSERT_EQ(UsageLines().size(), 18u);
  EXPECT_EQ(UsageLines()[9], " https://www.net-snmp.org/download.html");
  // The question is green, the prompt after it light grey.
  EXPECT_EQ(screen.At(22, 2).foreground, 2);
  EXPECT_EQ(screen.At(29, 2).foreground, 7);
}

TEST_F(StartupTest, EnterAloneAtTheAddressPromptEndsWithStatus2) {
  screen.Type("2\n\n");
  Manager manager(console, sweep, query, tableSetup, Settings{});
  EXPECT_EQ(manager.Run(""), 2);
  EXPECT_EQ(manager.mode(), Mode::kFull);
  EXPECT_EQ(screen.Rows(), std::vector<std::string>{});
  EXPECT_EQ(console.Row(), 40);
  EXPECT_EQ(console.Column(), 1);
}

TEST_F(StartupTest, ModeAnswersOtherThan1Or2AreAskedAgain) {
  screen.Type("abc\n0\n3\n2abc\n");
  std::vector<std::string> rows = RunUntilInputEnds("");
  std::vector<std::string> tail(rows.end() - 7, rows.end());
  std::vector<std::string> expected = {
      "",
      " Select 1=Firmware Mode, 2=Full Mode abc",
      " Select 1=Firmware Mode, 2=Full Mode 0",
      " Select 1=Firmware Mode, 2=Full Mode 3",
      " Select 1=Firmware Mode, 2=Full Mode 2abc",
      " Enter the IP of the AP to query,",
      " or just RETURN by itself to quit. >",
  };
  EXPECT_EQ(tail, expected);
}

TEST_F(StartupTest, ATargetOnTheCommandLineSkipsUsageAndAddressPrompt) {
  echo.replies[5] = FakeEcho::Answer(3'000);
  screen.Type("1\n");
  RunUntilInputEnds("  10.42.23.77  ");
  std::vector<std::string> rows = SweepScreen();
  ASSERT_GE(rows.size(), 7u);
  EXPECT_EQ(rows[0], "Scanning 10.42.23.x/24 to find 'alive' hosts.");
  EXPECT_EQ(rows[5], "   1    10.42.23.5 =  3 ms");
  EXPECT_EQ(rows[6], " Found 1 Alive hosts, in 0 seconds...");
}

TEST_F(StartupTest, EscapeAsksForTheNextBlockWithoutTheModeQuestion) {
  echo.replies[5] = FakeEcho::Answer(3'000);
  screen.Type("1\n");
  screen.Queue(InputEvent::Scan(scan::kF5));  // the same block again
  screen.Queue(InputEvent::Mouse(mouse::kPressed, mouse::kLeft, 6, 6));
  screen.Queue(InputEvent::Key(kEscape));
  std::vector<std::string> rows = RunUntilInputEnds("10.42.23.1");
  std::vector<std::string> expected = {
      "",
      " Enter the IP of the AP to query,",
      " or just RETURN by itself to quit. >",
  };
  EXPECT_EQ(rows, expected);
}

TEST_F(StartupTest, LowerCaseXEndsWithStatus0AfterACommandLineTarget) {
  screen.Type("1\n");
  screen.Queue(InputEvent::Key(kEscape));
  screen.Type("x\n");
  Manager manager(console, sweep, query, tableSetup, Settings{});
  EXPECT_EQ(manager.Run("10.42.23.1"), 0);
}

TEST_F(StartupTest, UpperCaseXIsATargetWithTheDotPrefix) {
  screen.Type("1\nX\n");
  RunUntilInputEnds("");
  std::vector<std::string> rows = SweepScreen();
  ASSERT_GE(rows.size(), 6u);
  EXPECT_EQ(rows[0], "Scanning .x/24 to find 'alive' hosts.");
  EXPECT_EQ(rows[5], " Found 0 Alive hosts, in 0 seconds...");
}

TEST_F(StartupTest, ShowsTheClassCLineBeforeTheSweep) {
  screen.Type("1\n");
  RunUntilInputEnds("10.42.23.9");
  ASSERT_GE(screen.firstRowsCleared.size(), 2u);
  // The line stands until the sweep clears the screen as it starts.
  EXPECT_EQ(screen.firstRowsCleared[1], "Class C is 10.42.23.0/24");
}

TEST_F(StartupTest, AnEscapeClearsTheTablesOfTheBlock) {
  echo.replies[5] = FakeEcho::Answer(3'000);
  screen.Type("1\n");
  screen.Queue(InputEvent::Key(kEscape));
  Manager manager(console, sweep, query, tableSetup, Settings{});
  std::vector<std::string> rows;
  bool aliveAtPrompt = true;
  screen.onInputEnd = [&] { aliveAtPrompt = manager.table()[5].alive == 1; };
  EXPECT_THROW(manager.Run("10.42.23.1"), InputClosed);
  EXPECT_FALSE(aliveAtPrompt);
}

}  // namespace
}  // namespace halvex
