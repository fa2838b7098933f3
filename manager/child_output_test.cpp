#include "child_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "test_memory_screen.h"
#include "screen_child.h"
#include "test_folder.h"

namespace halvex {
namespace {

TEST(ChildOutput, CarriageReturnsRedrawInPlaceAndLineEndsGoDown) {
  MemoryScreen screen;
  Console console(screen);
  console.MoveTo(10, 1);
  console.SetColor(9);
  ChildOutput out(console);
  out.Write("Sending file\r\n [oOo.    ] - 10");
  out.Write("\r [oOo.oOo.] - 2");
  out.Write("0\r\nOperation has completed successfuly.\n");
  EXPECT_EQ(screen.Row(10), "Sending file");
  EXPECT_EQ(screen.Row(11), " [oOo.oOo.] - 20");
  EXPECT_EQ(screen.Row(12), "Operation has completed successfuly.");
  EXPECT_EQ(screen.At(11, 2).foreground, 9);
  EXPECT_EQ(console.Row(), 13);
}

TEST(ChildOutput, LongLinesWrapAndTheBottomScrolls) {
  MemoryScreen screen;
  Console console(screen);
  console.MoveTo(kScreenRows, 1);
  ChildOutput out(console);
  out.Write(std::string(120, 'a') + "\n" + "b");
  EXPECT_EQ(screen.Row(kScreenRows - 2), std::string(115, 'a'));
  EXPECT_EQ(screen.Row(kScreenRows - 1), "aaaaa");
  EXPECT_EQ(screen.Row(kScreenRows), "b");
  EXPECT_EQ(screen.scrolls, 2);
}

TEST(ChildOutput, BackspacesTabsAndControlSequences) {
  MemoryScreen screen;
  Console console(screen);
  ChildOutput out(console);
  out.Write("abc\b\bX\tY\x1b[1;3");  // a sequence split between two pieces
  out.Write("1mZ\x1b" "7\a\x01" "\xc3\xa9!");
  EXPECT_EQ(screen.Row(1), "aXc     YZ?" "?!");
}

TEST(ChildOutput, TheLastLineIsWhatTheScreenShowsOfIt) {
  MemoryScreen screen;
  Console console(screen);
  struct Case {
    std::vector<std::string> pieces;
    std::string last;
  };
  const Case cases[] = {
      {{"Sending\r\n [oO  ] - 1\r [oOo.] - 2", "\n\nOperation has completed successfuly.\n"},
       "Operation has completed successfuly."},
      {{"\x1b[1mServer reported an error: Action Failed\x1b[0m\n\n  \n"},
       "Server reported an error: Action Failed"},
      {{"done\nhalf a li", "ne still being written"}, "half a line still being written"},
      {{"abcdef\rXY\tZ\b!"}, "XYcdef  !"},
      {{""}, ""},
  };
  for (const Case& c : cases) {
    ChildOutput out(console);
    for (const std::string& piece : c.pieces) out.Write(piece);
    EXPECT_EQ(out.LastLine(), c.last);
  }
}

// The real pseudo-terminal: a program's prompt, its echo turned off, keys
// handed to it, and its exit status.
TEST(RunOnScreen, PromptsKeysAndStatus) {
  std::filesystem::path dir = FreshTestFolder("screen-child");
  std::filesystem::path script = dir / "ask";
  std::ofstream(script) << "#!/bin/sh\n"
                           "stty -echo\n"
                           "printf 'Password: '\n"
                           "read answer\n"
                           "stty echo\n"
                           "echo\n"
                           "printf 'got [%s] on a %s\\n' \"$answer\" \"$(stty size)\"\n"
                           "exit 7\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  MemoryScreen screen;
  Console console(screen);
  screen.Type("se cret\n");
  screen.holdEvents = [&] { return screen.Row(1).empty(); };
  ScreenRun run = RunOnScreen({script.string()}, console);
  EXPECT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 7);
  EXPECT_EQ(run.lastLine, "got [se cret] on a 45 115");
  EXPECT_EQ(screen.Row(1), "Password:");
  EXPECT_EQ(screen.Row(2), "got [se cret] on a 45 115");
  EXPECT_FALSE(screen.keysToChild);
  EXPECT_FALSE(RunOnScreen({(dir / "missing").string()}, console).started);
  // The line may run onto the next row.
  EXPECT_EQ(screen.Row(3) + screen.Row(4), "halvex: cannot start " + (dir / "missing").string() +
                                               " (No such file or directory)");
}

}  // namespace
}  // namespace halvex
