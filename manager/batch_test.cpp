#include "batch.h"

#include <gtest/gtest.h>

#include <fstream>

#include "firmware_files.h"
#include "test_memory_screen.h"
#include "text_cells.h"
#include "test_folder.h"

namespace halvex {
namespace {

namespace fs = std::filesystem;

TEST(Centred, HalfTheSpareOnTheLeftRoundedDown) {
  EXPECT_EQ(Centred("ab", 7), "  ab   ");
  EXPECT_EQ(Centred("abc", 7), "  abc  ");
  EXPECT_EQ(Centred("", 4), "    ");
  EXPECT_EQ(Centred("toolong", 3), "toolong");
  std::string warning = Centred("WARNING - UPLOADING FIRMWARE MAY HARM / BREAK / DESTROY YOUR BOARD!", 80);
  EXPECT_EQ(warning.size(), 80u);
  EXPECT_EQ(warning.find('W'), 6u);  // 13 spare: 6 left, 7 right
}

class FirmwareFolder : public testing::Test {
 protected:
  void SetUp() override {
    dir = FreshTestFolder("firmware");
  }
  void File(const std::string& name) { std::ofstream(dir / name) << "UNITFW 1 1\n"; }
  fs::path dir;
};

TEST_F(FirmwareFolder, MatchesHardwareAndEndingWithoutRegardToCase) {
  EXPECT_TRUE(MatchesFirmware("ARX-200-2.6.1.pkg", "ARX-200"));
  EXPECT_TRUE(MatchesFirmware("arx-200 beta.PKG", "ARX-200"));
  EXPECT_TRUE(MatchesFirmware("x.pkg", ""));
  EXPECT_FALSE(MatchesFirmware("ARX-200.pkg.bak", "ARX-200"));
  EXPECT_FALSE(MatchesFirmware("ARX-20.pkg", "ARX-200"));
  EXPECT_FALSE(MatchesFirmware(".pkg", "pkg"));
  File("b ARX-200 $(x);|.pkg");
  File("a-arx-200.PKG");
  File("CPE-110.pkg");
  fs::create_directories(dir / "ARX-200-folder.pkg");
  EXPECT_EQ(FirmwareFiles(dir, "ARX-200"),
            (std::vector<std::string>{"a-arx-200.PKG", "b ARX-200 $(x);|.pkg"}));
  EXPECT_EQ(FirmwareFiles(dir, "").size(), 3u);
  EXPECT_TRUE(FirmwareFiles(dir / "missing", "").empty());
}

TEST_F(FirmwareFolder, AtMost100InNameOrder) {
  for (int i = 150; i >= 1; --i) {
    char name[32];
    std::snprintf(name, sizeof name, "ARX-%03d.pkg", i);
    File(name);
  }
  std::vector<std::string> files = FirmwareFiles(dir, "arx");
  ASSERT_EQ(files.size(), 100u);
  EXPECT_EQ(files.front(), "ARX-001.pkg");
  EXPECT_EQ(files.back(), "ARX-100.pkg");
}

class BatchTest : public FirmwareFolder {
 protected:
  void SetUp() override {
    FirmwareFolder::SetUp();
    fs::create_directories(dir / "firmware");
    setup.workDir = dir;
    setup.velkor = "/opt/velkor";
    setup.password = "BlueOx";
    setup.runOnScreen = [this](const std::vector<std::string>& argv) {
      runs.push_back(argv);
      return ScreenRun{true, 0, 0, "Operation has completed successfuly."};
    };
    setup.startDetached = [this](const std::vector<std::string>& argv) { started.push_back(argv); };
    setup.sleep = [this](int ms) { sleeps.push_back(ms); };
    Unit(1, "10.42.23.1", "ARX-500", "2.6.0", "4802");
    Unit(2, "10.42.23.5", "ARX-200", "2.5.1", "4711");
    Unit(3, "10.42.23.9", "CPE-110", "2.4.9", "4388");
    count = 3;
  }
  void Unit(int i, const std::string& ip, const std::string& hw, const std::string& fw,
            const std::string& build) {
    rows[static_cast<std::size_t>(i)].ip = ip;
    rows[static_cast<std::size_t>(i)].entry.hardware = hw;
    rows[static_cast<std::size_t>(i)].entry.firmware = fw;
    rows[static_cast<std::size_t>(i)].entry.build = build;
  }
  void Image(const std::string& name) { std::ofstream(dir / "firmware" / name) << "UNITFW 2.7.0 5012\n"; }
  BatchActions Batch() { return BatchActions(setup, prefix, rows, count, selected, searchHardware); }
  int RowOf(const std::string& start) {
    for (int r = 1; r <= kScreenRows; ++r) {
      if (screen.Row(r).rfind(start, 0) == 0) return r;
    }
    return 0;
  }

  MemoryScreen screen;
  Console console{screen};
  TableSetup setup{console};
  std::string prefix = "10.42.23.";
  std::vector<DeviceRow> rows = std::vector<DeviceRow>(kRowCapacity);
  int count = 0;
  std::array<std::uint8_t, kRowCapacity> selected{};
  std::string searchHardware;
  std::vector<std::vector<std::string>> runs;
  std::vector<std::vector<std::string>> started;
  std::vector<int> sleeps;
};

TEST_F(BatchTest, NothingSelectedIsNothingToDo) {
  EXPECT_EQ(Batch().Menu(), BatchEnd::kRebuild);
  EXPECT_EQ(screen.Row(3), "  NO CPE's SELECTED...  NOTHING TO DO!  Exiting...");
  EXPECT_EQ(screen.At(3, 3).foreground, 12);
  EXPECT_EQ(sleeps, std::vector<int>{2000});
  EXPECT_TRUE(runs.empty());
}

TEST_F(BatchTest, TheMenuListsTheSelectedUnitsAndEscGoesBack) {
  selected[1] = selected[3] = 1;
  screen.Queue(InputEvent::Key('x'));
  screen.Queue(InputEvent::Scan(scan::kF5));
  screen.Queue(InputEvent::Key(kEscape));
  EXPECT_EQ(Batch().Menu(), BatchEnd::kRebuild);
  EXPECT_EQ(screen.Row(2), "  CPE's Address : 10.42.23.1       Hardware: ARX-500             "
                           "Firmware: 2.6.0               Build: 4802");
  EXPECT_EQ(screen.Row(3).substr(0, 30), "  CPE's Address : 10.42.23.9  ");
  EXPECT_EQ(screen.At(2, 2).foreground, 14);
  EXPECT_EQ(screen.At(2, 19).foreground, 10);
  EXPECT_EQ(screen.Row(5), "  Batch Menu:  ESC=Exit  1=Firmware  2=Reboot");
  EXPECT_EQ(searchHardware, "CPE-110");  // the last unit listed
  EXPECT_TRUE(runs.empty());
}

TEST_F(BatchTest, UploadsTheChosenFileToEverySelectedUnitInRowOrder) {
  Image("ARX-200 2.7.0 beta.pkg");
  Image("ARX-200-2.6.1.pkg");
  Image("CPE-110-2.6.1.pkg");
  selected[1] = selected[2] = 1;
  screen.Type("1");
  screen.Type("2\n");
  screen.Type("Y,sure\n");
  EXPECT_EQ(Batch().Menu(), BatchEnd::kRebuild);
  int list = RowOf(" 1 = ");
  ASSERT_GT(list, 0);
  EXPECT_EQ(screen.Row(list), " 1 = ARX-200 2.7.0 beta.pkg");
  EXPECT_EQ(screen.Row(list + 1), " 2 = ARX-200-2.6.1.pkg");
  EXPECT_EQ(screen.At(list, 2).foreground, 9);
  EXPECT_EQ(screen.Row(list + 3),
            " Enter Firmware Number to Upload, or Enter 0 (ZERO) to exit : 2");
  EXPECT_EQ(screen.Row(list + 4), "YOU ARE ABOUT TO UPLOAD FIRMWARE.  ARE YOU SURE (Y/N) Y,sure");
  EXPECT_EQ(screen.Row(list + 5), "Upgrading Firmware to 10.42.23.1");
  EXPECT_EQ(screen.At(list + 5, 1).foreground, 14);
  EXPECT_EQ(runs, (std::vector<std::vector<std::string>>{
                      {"/opt/velkor", "10.42.23.1", "BlueOx", "-f", "firmware/ARX-200-2.6.1.pkg"},
                      {"/opt/velkor", "10.42.23.5", "BlueOx", "-f", "firmware/ARX-200-2.6.1.pkg"}}));
  EXPECT_EQ(started, (std::vector<std::vector<std::string>>{
                         {"putty", "-pw", "BlueOx", "admin@10.42.23.1"},
                         {"putty", "-pw", "BlueOx", "admin@10.42.23.5"}}));
  EXPECT_EQ(sleeps, std::vector<int>{5000});
}

TEST_F(BatchTest, WithoutAPasswordVelkorAsksForItAndTheNameWithSpacesIsOneWord) {
  Image("ARX-200 2.7.0 beta.pkg");
  setup.password = "";
  selected[2] = 1;
  screen.Type("11\ny\n");
  EXPECT_EQ(Batch().Menu(), BatchEnd::kRebuild);
  EXPECT_EQ(runs, (std::vector<std::vector<std::string>>{
                      {"/opt/velkor", "10.42.23.5", "-f", "firmware/ARX-200 2.7.0 beta.pkg"}}));
  EXPECT_EQ(started[0], (std::vector<std::string>{"putty", "-pw", "", "admin@10.42.23.5"}));
}

TEST_F(BatchTest, AnythingButAValidNumberAndYGoesBackWithoutAction) {
  Image("ARX-200-2.6.1.pkg");
  selected[2] = 1;
  for (const char* typed : {"10\n", "1-1\n", "12\n", "1abc\n", "1 x\n", "1-5\n", "1yes\n", "1\n"}) {
    screen.Type(typed);
    EXPECT_EQ(Batch().Menu(), BatchEnd::kRedraw) << typed;
  }
  EXPECT_TRUE(runs.empty());
  EXPECT_TRUE(sleeps.empty());
}

TEST_F(BatchTest, NoMatchingFileSaysWhoopsAndWaitsForSpace) {
  selected[3] = 1;
  screen.Type("1");
  screen.Type("x\n");  // ignored until the space
  screen.Type(" 0\n");
  EXPECT_EQ(Batch().Menu(), BatchEnd::kRedraw);
  int whoops = RowOf(" WHOOPS!");
  ASSERT_GT(whoops, 0);
  EXPECT_EQ(screen.Row(whoops), " WHOOPS! No matching firmware files found.  Please put some firmware");
  EXPECT_EQ(screen.At(whoops, 2).foreground, 12);
  EXPECT_EQ(screen.At(whoops, 10).foreground, 7);
  EXPECT_EQ(screen.Row(whoops + 1), " for the CPE-110 boards in the 'firmware\\' directory.");
  EXPECT_EQ(screen.Row(whoops + 3), " SpaceBar to Exit");
  EXPECT_EQ(screen.Row(whoops + 5), " Enter Firmware Number to Upload, or Enter 0 (ZERO) to exit : 0");
}

TEST_F(BatchTest, RebootsTheSelectedUnits) {
  selected[1] = selected[3] = 1;
  screen.Type("2y\n");
  EXPECT_EQ(Batch().Menu(), BatchEnd::kRebuild);
  EXPECT_EQ(runs, (std::vector<std::vector<std::string>>{
                      {"/opt/velkor", "10.42.23.1", "BlueOx", "-reboot"},
                      {"/opt/velkor", "10.42.23.9", "BlueOx", "-reboot"}}));
  int r = RowOf("  YOU ARE ABOUT TO REBOOT");
  EXPECT_EQ(screen.Row(r + 1), "Rebooting 10.42.23.1    Rebooting 10.42.23.9    Completed...");
  EXPECT_EQ(sleeps, std::vector<int>{1000});
  EXPECT_TRUE(started.empty());
  runs.clear();
  screen.Type("2yes\n");
  EXPECT_EQ(Batch().Menu(), BatchEnd::kRebuild);
  EXPECT_TRUE(runs.empty());
}

TEST_F(BatchTest, TheRightClickPathShowsTheWarningBoxAndTheSelectedUnits) {
  Image("ARX-500-2.7.0.pkg");
  Image("CPE-110-2.7.0.pkg");
  selected[1] = 1;
  screen.Type("1\ny\n");
  EXPECT_EQ(Batch().RightClick(), BatchEnd::kRebuild);
  // Row() drops the trailing blanks of the box.
  EXPECT_EQ(screen.Row(3), std::string(11, ' ') +
                               "WARNING - UPLOADING FIRMWARE MAY HARM / BREAK / DESTROY YOUR BOARD!");
  EXPECT_EQ(screen.Row(7), std::string(11, ' ') +
                               "IF YOU ARE UPGRADING MULTIPLE CPE's, MAKE SURE THEY ARE ALL THE SAME");
  for (int r = 2; r <= 9; ++r) {
    EXPECT_EQ(screen.At(r, 6).background, 12) << r;
    EXPECT_EQ(screen.At(r, 85).background, 12) << r;
    EXPECT_EQ(screen.At(r, 5).background, 0) << r;
    EXPECT_EQ(screen.At(r, 86).background, 0) << r;
  }
  EXPECT_EQ(screen.At(3, 12).foreground, 0);
  EXPECT_EQ(screen.At(7, 12).foreground, 7);
  EXPECT_EQ(screen.Row(12).substr(0, 30), "  CPE's Address : 10.42.23.1  ");
  EXPECT_EQ(screen.Row(15), " 1 = ARX-500-2.7.0.pkg");
  EXPECT_EQ(runs.size(), 1u);
  EXPECT_EQ(started.size(), 1u);
}

TEST_F(BatchTest, TheRightClickWithNothingSelectedSearchesTheRememberedHardware) {
  Image("ARX-500-2.7.0.pkg");
  Image("CPE-110-2.7.0.pkg");
  screen.Type("0\n");
  EXPECT_EQ(Batch().RightClick(), BatchEnd::kRedraw);
  EXPECT_EQ(screen.Row(14), " 1 = ARX-500-2.7.0.pkg");  // empty: every image
  EXPECT_EQ(screen.Row(15), " 2 = CPE-110-2.7.0.pkg");
  searchHardware = "CPE-110";
  screen.Type("1\ny\n");
  EXPECT_EQ(Batch().RightClick(), BatchEnd::kRebuild);
  EXPECT_EQ(screen.Row(14), " 1 = CPE-110-2.7.0.pkg");
  EXPECT_TRUE(runs.empty());  // nobody to send it to
  EXPECT_EQ(sleeps, std::vector<int>{5000});
}

}  // namespace
}  // namespace halvex
