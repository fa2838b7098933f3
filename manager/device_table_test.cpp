#include "device_table.h"

#include <gtest/gtest.h>

#include "test_memory_screen.h"

namespace halvex {
namespace {

TEST(PageTable, PagesOf41RowsThatOverlapByOne) {
  struct Case {
    int count;
    int pages;
    std::vector<std::pair<int, int>> ranges;
  };
  const Case cases[] = {
      {1, 1, {{1, 1}}},
      {40, 1, {{1, 40}}},
      {41, 2, {{1, 41}, {41, 41}}},
      {42, 2, {{1, 41}, {41, 42}}},
      {81, 3, {{1, 41}, {41, 81}, {81, 81}}},
      {254, 7, {{1, 41}, {41, 81}, {81, 121}, {121, 161}, {161, 201}, {201, 241}, {241, 254}}},
  };
  for (const Case& c : cases) {
    PageTable pages;
    pages.Build(c.count);
    ASSERT_EQ(pages.pages, c.pages) << c.count;
    for (int p = 1; p <= c.pages; ++p) {
      EXPECT_EQ(pages.start[p], c.ranges[p - 1].first) << c.count << " page " << p;
      EXPECT_EQ(pages.end[p], c.ranges[p - 1].second) << c.count << " page " << p;
    }
  }
}

TEST(PageTable, NoRowsKeepsTheTablesAndClampingKeepsThePageInRange) {
  PageTable pages;
  pages.Build(0);
  EXPECT_EQ(pages.pages, 1);
  EXPECT_EQ(pages.end[1], 41);
  pages.Build(81);
  pages.current = 7;
  pages.Clamp();
  EXPECT_EQ(pages.current, 3);
  pages.current = 0;
  pages.Clamp();
  EXPECT_EQ(pages.current, 1);
  pages.current = -5;
  pages.Clamp();
  EXPECT_EQ(pages.current, 1);
  pages.current = 2;
  EXPECT_EQ(pages.ScreenRow(41), 4);
  EXPECT_EQ(pages.ScreenRow(81), 44);
}

class TableTest : public testing::Test {
 protected:
  void Alive(int first, int last) {
    for (int h = first; h <= last; ++h) {
      table[h].alive = true;
      table[h].firmware = "2.5.1";
      table[h].hardware = "ARX-200";
    }
  }
  MemoryScreen screen;
  Console console{screen};
  TableSetup setup{console};
  DeviceTableScreen tableScreen{setup};
  DeviceTable table;
};

TEST_F(TableTest, ClicksOnUnitsOnlyAndBelowAPartialPageNothing) {
  Alive(1, 45);
  tableScreen.BuildRows(table, "10.42.23.");
  EXPECT_EQ(tableScreen.UnitAt(3), 0);   // header row
  EXPECT_EQ(tableScreen.UnitAt(4), 1);
  EXPECT_EQ(tableScreen.UnitAt(44), 41);
  EXPECT_EQ(tableScreen.UnitAt(45), 0);  // bottom bar
  EXPECT_EQ(tableScreen.UnitAt(1), 0);
  EXPECT_EQ(tableScreen.UnitAt(0), 0);
  EXPECT_EQ(tableScreen.UnitAt(200), 0);
  tableScreen.pages().current = 2;
  EXPECT_EQ(tableScreen.UnitAt(4), 41);
  EXPECT_EQ(tableScreen.UnitAt(8), 45);
  EXPECT_EQ(tableScreen.UnitAt(9), 0);   // below the last row
  DeviceTable none;
  tableScreen.BuildRows(none, "10.42.23.");
  EXPECT_EQ(tableScreen.UnitAt(4), 0);
}

TEST_F(TableTest, DrawsBarsHeadingsAndCellsInTheirColours) {
  table[5].alive = true;
  table[5].snmpState = SnmpState::kAnswered;
  table[5].mac = "00 0C 42 17 00 05 ";
  table[5].quality = "87";
  table[5].signal = "-61";
  table[5].noise = "-95";
  table[5].pingTime = 3;
  table[5].firmware = "2.5.1";
  table[5].hardware = "ARX-200";
  table[5].linkDb = "40";
  table[5].linkRx = "24";
  table[5].linkTx = "123";
  table[17].alive = true;
  table[17].firmware = "OLDVERSION";
  table[17].serverAnswer = ServerAnswer::kOldServer;
  table[200].alive = true;
  table[200].firmware = std::string(40, 'F');
  table[200].hardware = std::string(100000, 'H');
  tableScreen.Rebuild(table, "10.42.23.");
  EXPECT_EQ(screen.Row(1),
            " Esc=Quit                               F5=Refresh  F7=All  F8=None  F9=Batch  "
            "F10=Help   Page 1 of 1  CPE 1 to 3");
  EXPECT_EQ(screen.At(1, 115).background, 8);
  EXPECT_EQ(screen.At(1, 2).foreground, 0);
  EXPECT_EQ(screen.Row(3),
            "     IP ADDRESS   MAC ADDRESS   Q% SIG  NSE PING  dB RX TX" + std::string(24, ' ') +
                "Firmware         Hardware");
  EXPECT_EQ(screen.At(3, 19).foreground, 9);
  EXPECT_EQ(screen.At(3, 45).foreground, 13);
  EXPECT_EQ(screen.At(3, 100).foreground, 14);
  EXPECT_EQ(screen.Row(4),
            "  1  10.42.23.5   000C42170005  87 -61  -95    3  40 24 12" + std::string(24, ' ') +
                "2.5.1            ARX-200");
  EXPECT_EQ(screen.At(4, 83).foreground, 2);
  EXPECT_EQ(screen.At(4, 1).foreground, 7);
  EXPECT_EQ(screen.Row(5).substr(82), "OLD VERSION");
  EXPECT_EQ(screen.At(5, 83).foreground, 12);
  // Long texts stop at the screen's edge: nothing wraps or scrolls.
  EXPECT_EQ(screen.Row(6).substr(82), std::string(17, 'F') + std::string(16, 'H'));
  EXPECT_EQ(screen.At(6, 83).foreground, 4);
  EXPECT_EQ(screen.Row(7), "");
  EXPECT_EQ(screen.scrolls, 0);
  EXPECT_EQ(screen.Row(45), std::string(23, ' ') +
                                "Left Mouse= Select    Double Click= Putty    Right Mouse= Upload");
  EXPECT_EQ(screen.At(45, 115).background, 8);
}

TEST_F(TableTest, KeysPageSelectAndLeave) {
  Alive(1, 45);
  screen.Queue(InputEvent::Scan(scan::kPageUp));  // on page 1: page 1 again
  screen.Queue(InputEvent::Scan(scan::kPageDown));
  screen.Queue(InputEvent::Scan(scan::kPageDown));  // on the last page: the same
  EXPECT_THROW(tableScreen.Run(table, "10.42.23."), InputClosed);
  EXPECT_EQ(tableScreen.pages().current, 2);
  EXPECT_NE(screen.Row(1).find("Page 2 of 2  CPE 41 to 45"), std::string::npos) << screen.Row(1);
  EXPECT_EQ(screen.Row(4).substr(0, 16), " 41  10.42.23.41");
  EXPECT_EQ(screen.Row(9), "");

  screen.Queue(InputEvent::Scan(scan::kF7));
  screen.Queue(InputEvent::Mouse(mouse::kPressed, mouse::kLeft, 5, 30));  // row 42 off
  EXPECT_THROW(tableScreen.Run(table, "10.42.23."), InputClosed);
  EXPECT_EQ(tableScreen.pages().current, 2);  // the page survives rebuilds
  EXPECT_EQ(screen.At(4, 2).foreground, 12);
  EXPECT_EQ(screen.At(5, 2).foreground, 7);
  EXPECT_EQ(screen.At(5, 6).foreground, 7);
  EXPECT_EQ(tableScreen.selected()[42], 0);
  EXPECT_EQ(tableScreen.selected()[45], 1);
  EXPECT_EQ(screen.cursorRow, 5);
  EXPECT_EQ(screen.cursorColumn, 30);

  screen.Queue(InputEvent::Scan(scan::kF8));
  screen.Queue(InputEvent::Key(kEscape));
  EXPECT_EQ(tableScreen.Run(table, "10.42.23."), TableExit::kEscape);
  EXPECT_EQ(tableScreen.selected()[45], 0);
  EXPECT_EQ(screen.Rows(), std::vector<std::string>{});
  screen.Queue(InputEvent::Scan(scan::kF5));
  EXPECT_EQ(tableScreen.Run(table, "10.42.23."), TableExit::kRefresh);
}

TEST_F(TableTest, DoubleClickStartsTheTerminalProgramAndOtherClicksNothing) {
  Alive(1, 3);
  setup.password = "BlueOx";
  setup.terminalProgram = "/opt/recorder";
  std::vector<std::vector<std::string>> started;
  setup.startDetached = [&](const std::vector<std::string>& argv) { started.push_back(argv); };
  screen.Queue(InputEvent::Mouse(mouse::kPressed, mouse::kLeft, 5, 8));
  screen.Queue(InputEvent::Mouse(mouse::kDoubleClick, mouse::kLeft, 5, 8));
  screen.Queue(InputEvent::Mouse(mouse::kPressed, mouse::kLeft, 3, 8));   // header
  screen.Queue(InputEvent::Mouse(mouse::kPressed, mouse::kLeft, 45, 8));  // bottom bar
  screen.Queue(InputEvent::Mouse(mouse::kPressed, mouse::kLeft, 7, 8));   // below the rows
  screen.Queue(InputEvent::Mouse(mouse::kMoved, mouse::kNoButton, 6, 8));
  screen.Queue(InputEvent::Mouse(mouse::kReleased, mouse::kLeft, 6, 8));
  EXPECT_THROW(tableScreen.Run(table, "10.42.23."), InputClosed);
  EXPECT_EQ(started, (std::vector<std::vector<std::string>>{
                         {"/opt/recorder", "-pw", "BlueOx", "admin@10.42.23.2"}}));
  EXPECT_EQ(tableScreen.selected()[2], 1);  // the double click's first press
  EXPECT_EQ(tableScreen.selected()[1] + tableScreen.selected()[3], 0);
  EXPECT_EQ(screen.Row(7), "");
}

}  // namespace
}  // namespace halvex
