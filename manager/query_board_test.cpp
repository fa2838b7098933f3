#include "query_board.h"

#include <gtest/gtest.h>

#include "test_memory_screen.h"

namespace halvex {
namespace {

DrawStep Text(std::string text) { return {DrawStep::Kind::kText, 0, std::move(text)}; }
DrawStep Line() { return {DrawStep::Kind::kLineStart, 0, {}}; }

TEST(QueryBoard, HostsAreDrawnInOrderAndTheFirstAsItGrows) {
  // Lines longer than 27 columns: the next line's 88 blanks take them onto
  // a row of their own.
  const std::string pad(30, '.');
  MemoryScreen screen;
  Console console(screen);
  QueryBoard board(3);
  // The third host is done first: nothing of it shows yet.
  board.Add(2, Line());
  board.Add(2, Text(pad + "third"));
  board.Finish(2);
  EXPECT_FALSE(board.DrawReady(console));
  EXPECT_EQ(screen.Row(1), "");
  // The first host shows what it has while its child still runs.
  board.Add(0, Line());
  board.Add(0, Text("first"));
  EXPECT_FALSE(board.DrawReady(console));
  EXPECT_EQ(screen.Row(1), "first");
  board.Add(0, {DrawStep::Kind::kColor, 12, {}});
  board.Add(0, Text(pad));
  board.Add(1, Line());
  board.Add(1, Text(pad + "second"));
  EXPECT_FALSE(board.DrawReady(console));
  EXPECT_EQ(screen.Row(1), "first" + pad);
  EXPECT_EQ(screen.At(1, 7).foreground, 12);
  EXPECT_EQ(screen.Row(2), "");
  // Once the first is done, the second (unfinished) and nothing after it.
  board.Finish(0);
  EXPECT_FALSE(board.DrawReady(console));
  EXPECT_EQ(screen.Row(2), pad + "second");
  EXPECT_EQ(screen.Row(3), "");
  board.Finish(1);
  EXPECT_TRUE(board.DrawReady(console));
  EXPECT_EQ(screen.Row(3), pad + "third");
}

TEST(QueryBoard, ALineStartBlanksOnFromTheCursorAndBeginsAtColumnOne) {
  MemoryScreen screen;
  Console console(screen);
  console.MoveTo(3, 1);
  console.Print(std::string(40, 'x'));
  DrawStep steps[] = {Line(), Text("host")};
  DrawSteps(console, steps);
  // 40 + 88 columns run onto the next row, whose start is blanked.
  EXPECT_EQ(screen.Row(3), std::string(40, 'x'));
  EXPECT_EQ(screen.Row(4), "host");
  EXPECT_EQ(console.Row(), 4);
}

}  // namespace
}  // namespace halvex
