#include "console.h"

#include <gtest/gtest.h>

#include "test_memory_screen.h"

namespace halvex {
namespace {

TEST(Console, PrintsAtTheCursorInTheCurrentColours) {
  MemoryScreen screen;
  Console console(screen);
  console.MoveTo(3, 10);
  console.SetColors(14, 1);
  console.Print("abc");
  EXPECT_EQ(screen.Row(3), std::string(9, ' ') + "abc");
  EXPECT_EQ(screen.At(3, 10).foreground, 14);
  EXPECT_EQ(screen.At(3, 10).background, 1);
  EXPECT_EQ(console.Column(), 13);
  console.Print("\nx");
  EXPECT_EQ(screen.Row(4), "x");
  console.MoveTo(0, 500);  // clamped
  EXPECT_EQ(console.Row(), 1);
  EXPECT_EQ(console.Column(), kScreenColumns);
}

TEST(Console, AHoldShowsWhatWasDrawnOnceAtItsEnd) {
  MemoryScreen screen;
  Console console(screen);
  int before = screen.presents;
  {
    Console::Hold whole(console);
    console.Clear();
    console.MoveTo(3, 4);
    {
      Console::Hold inner(console);
      console.Print("abc");
    }
    EXPECT_EQ(screen.presents, before);
  }
  EXPECT_EQ(screen.presents, before + 1);
  EXPECT_EQ(screen.cursorRow, 3);
  EXPECT_EQ(screen.cursorColumn, 7);
  console.Print("d");
  EXPECT_EQ(screen.presents, before + 2);
}

TEST(Console, WrapsAfterColumn115) {
  MemoryScreen screen;
  Console console(screen);
  console.Print(std::string(115, 'a'));
  // The cursor waits at the last column until more text comes.
  EXPECT_EQ(console.Row(), 1);
  console.Print("b");
  EXPECT_EQ(screen.Row(1), std::string(115, 'a'));
  EXPECT_EQ(screen.Row(2), "b");
  console.Print(std::string(114, 'c') + "\n");
  EXPECT_EQ(console.Row(), 3);  // the line end after a full row is one line end
}

TEST(Console, ScrollsAtTheBottomRow) {
  MemoryScreen screen;
  Console console(screen);
  for (int i = 1; i <= 50; ++i) console.Print("line " + std::to_string(i) + "\n");
  EXPECT_EQ(screen.scrolls, 6);
  EXPECT_EQ(screen.Row(1), "line 7");
  EXPECT_EQ(screen.Row(44), "line 50");
  EXPECT_EQ(screen.Row(45), "");
  EXPECT_EQ(console.Row(), 45);
}

TEST(Console, FillingTheBottomRowDoesNotScroll) {
  MemoryScreen screen;
  Console console(screen);
  console.MoveTo(45, 1);
  console.Print(std::string(115, '#'));
  EXPECT_EQ(screen.scrolls, 0);
  EXPECT_EQ(screen.Row(45), std::string(115, '#'));
}

TEST(Console, ClearBlanksAndHomes) {
  MemoryScreen screen;
  Console console(screen);
  console.Print("text");
  console.SetColors(7, 4);
  console.Clear();
  EXPECT_EQ(screen.Row(1), "");
  EXPECT_EQ(screen.At(1, 1).background, 4);
  EXPECT_EQ(console.Row(), 1);
  EXPECT_EQ(console.Column(), 1);
}

TEST(Console, ControlCharactersPrintAsQuestionMarks) {
  MemoryScreen screen;
  Console console(screen);
  console.Print(std::string("a\tb\x1b", 4));
  EXPECT_EQ(screen.Row(1), "a?b?");
}

TEST(ConsoleReadLine, EchoesAndEndsAtEnter) {
  MemoryScreen screen;
  Console console(screen);
  console.Print("> ");
  screen.Type("10.42.23.1\n");
  EXPECT_EQ(console.ReadLine(), "10.42.23.1");
  EXPECT_EQ(screen.Row(1), "> 10.42.23.1");
  EXPECT_EQ(console.Row(), 1);  // Enter itself is not echoed
}

TEST(ConsoleReadLine, BackspaceTakesBackTheLastCharacter) {
  MemoryScreen screen;
  Console console(screen);
  console.Print("> ");
  screen.Type("12");
  screen.Queue(InputEvent::Key(kBackspace));
  screen.Queue(InputEvent::Key(kBackspace));
  screen.Queue(InputEvent::Key(kBackspace));  // nothing left: ignored
  screen.Type("x\n");
  EXPECT_EQ(console.ReadLine(), "x");
  EXPECT_EQ(screen.Row(1), "> x");
}

TEST(ConsoleReadLine, IgnoresOtherControlKeysAndTheMouse) {
  MemoryScreen screen;
  Console console(screen);
  screen.Queue(InputEvent::Key(kEscape));
  screen.Queue(InputEvent::Key(9));
  screen.Queue(InputEvent::Scan(scan::kF5));
  screen.Queue(InputEvent::Mouse(mouse::kPressed, mouse::kLeft, 5, 5));
  screen.Type("1\n");
  EXPECT_EQ(console.ReadLine(), "1");
  EXPECT_EQ(screen.Row(1), "1");
}

TEST(ConsoleReadLine, BackspaceAcrossAWrapAndAScroll) {
  MemoryScreen screen;
  Console console(screen);
  console.MoveTo(45, 114);
  screen.Type("abc");
  screen.Queue(InputEvent::Key(kBackspace));
  screen.Type("\n");
  EXPECT_EQ(console.ReadLine(), "ab");
  EXPECT_EQ(screen.scrolls, 1);
  EXPECT_EQ(screen.Row(44), std::string(113, ' ') + "ab");
  EXPECT_EQ(screen.Row(45), "");
}

TEST(ConsoleReadLine, EndOfInputIsReported) {
  MemoryScreen screen;
  Console console(screen);
  screen.Type("12");
  EXPECT_THROW(console.ReadLine(), InputClosed);
}

}  // namespace
}  // namespace halvex
