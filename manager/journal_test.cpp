#include "journal.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>

#include "test_folder.h"

namespace halvex {
namespace {

namespace fs = std::filesystem;

std::vector<std::vector<std::string>> Lines(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::vector<std::string>> lines;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    if (!line.empty() && line.back() == '\t') fields.emplace_back();
    fields.erase(fields.begin());  // the time
    lines.push_back(fields);
  }
  return lines;
}

TEST(Journal, TimesStatusesAndFields) {
  // Digits as 9 and the offset's sign as +: the time's shape.
  std::string shape = LocalTimeText(1796838123);
  if (shape.size() > 19 && shape[19] == '-') shape[19] = '+';
  for (char& c : shape)
    if (std::isdigit(static_cast<unsigned char>(c))) c = '9';
  EXPECT_EQ(shape, "9999-99-99T99:99:99+99:99");
  EXPECT_EQ(StatusText({true, 0, 0, ""}), "0");
  EXPECT_EQ(StatusText({true, 1, 0, ""}), "1");
  EXPECT_EQ(StatusText({true, -1, 9, ""}), "signal 9");
  EXPECT_EQ(StatusText({false, -1, 0, ""}), "not started");
  EXPECT_EQ(FieldText("a\tb\r\nc"), "a b  c");
}

TEST(Journal, UnitsBatchAndWhatTheNextQuerySees) {
  fs::path work = FreshTestFolder("journal");
  fs::create_directories(work / "log");
  Journal journal(work);
  DeviceEntry before;
  before.hardware = "ARX-200";
  before.firmware = "2.5.1";
  before.build = "4711";
  DeviceEntry old;  // nothing known but its server's age
  old.serverAnswer = ServerAnswer::kOldServer;
  old.firmware = "OLDVERSION";
  journal.Unit("10.42.23.", "10.42.23.5", before, "ARX-200-2.7.0.pkg",
               {true, 0, 0, "Operation has completed successfuly."});
  journal.Unit("10.42.23.", "10.42.23.17", old, "ARX-200-2.7.0.pkg",
               {true, 1, 0, "Server reported an error:\tCommand not supported" + std::string(300, '!')});
  journal.Batch("10.42.23.", "ARX-200-2.7.0.pkg", {"10.42.23.5", "10.42.23.17"}, 1);
  journal.Unit("10.42.23.", "10.42.23.5", before, "", {false, -1, 0, ""});
  DeviceTable table;
  table[5].alive = true;
  table[5].hardware = "ARX-200";
  table[5].firmware = "2.7.0";
  table[5].build = "5012";
  journal.AfterQuery("10.42.24.", table);  // another block: nothing yet
  journal.AfterQuery("10.42.23.", table);
  journal.AfterQuery("10.42.23.", table);  // once only
  const std::string tail = "Server reported an error: Command not supported" + std::string(153, '!');
  EXPECT_EQ(Lines(work / "log" / "10.42.23.log"),
            (std::vector<std::vector<std::string>>{
                {"upgrade", "10.42.23.5", "ARX-200", "2.5.1", "4711", "ARX-200-2.7.0.pkg", "0",
                 "Operation has completed successfuly."},
                {"upgrade", "10.42.23.17", "", "OLD VERSION", "", "ARX-200-2.7.0.pkg", "1", tail},
                {"batch", "upgrade ARX-200-2.7.0.pkg", "2", "1", "1"},
                {"reboot", "10.42.23.5", "ARX-200", "2.5.1", "4711", "not started", ""},
                {"seen", "10.42.23.5", "ARX-200", "2.7.0", "5012"},
                {"seen", "10.42.23.17", "", "absent", ""},
            }));
}

TEST(Journal, NoFolderNoJournalAndAnUnwritableOneChangesNothing) {
  fs::path work = FreshTestFolder("journal");
  Journal journal(work);
  journal.Batch("10.42.23.", "", {"10.42.23.5"}, 1);
  EXPECT_TRUE(fs::is_empty(work));
  // A journal that cannot be opened (here a folder in its place, which
  // even root cannot write to) is passed over.
  fs::create_directories(work / "log" / "10.42.23.log");
  journal.Batch("10.42.23.", "", {"10.42.23.5"}, 1);
  EXPECT_TRUE(fs::is_empty(work / "log" / "10.42.23.log"));
  journal.Batch("../x", "", {}, 0);  // no block: nothing outside the folder
  EXPECT_FALSE(fs::exists(work / "x" "log"));
}

}  // namespace
}  // namespace halvex
