#include "device_query.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <map>
#include <thread>

#include "answer_file.h"
#include "interrupts.h"
#include "test_child_command.h"
#include "test_memory_screen.h"
#include "text_cells.h"
#include "test_folder.h"

namespace halvex {
namespace {

namespace fs = std::filesystem;

DeviceEntry Split(const std::string& description) {
  DeviceEntry e;
  e.sysDescr = description;
  SplitDescription(e);
  return e;
}

TEST(SplitDescription, NameVersionBuildAndBoard) {
  DeviceEntry e = Split("Unit 2.5.1 build 4711 [ARX-200]");
  EXPECT_EQ(e.firmware, "2.5.1");
  EXPECT_EQ(e.build, "4711");
  EXPECT_EQ(e.hardware, "ARX-200");
  e = Split("Acme Router v3 build 12 extra [CPE 110] more");
  EXPECT_EQ(e.firmware, "Router v3");
  EXPECT_EQ(e.build, "12");
  EXPECT_EQ(e.hardware, "CPE 110");
}

TEST(SplitDescription, MarkersAndMissingPieces) {
  DeviceEntry e = Split("OLDVERSION");
  EXPECT_EQ(e.firmware, "OLDVERSION");
  EXPECT_EQ(e.build, "");
  EXPECT_EQ(e.hardware, "");
  // Without " build" and "[": everything after the first space.
  e = Split("Acme Router firmware 7");
  EXPECT_EQ(e.firmware, "Router firmware 7");
  EXPECT_EQ(e.build, "");
  EXPECT_EQ(e.hardware, "");
  e = Split("");
  EXPECT_EQ(e.firmware, "UNKNOWN");
  // A board name without its opening bracket is no board name.
  e = Split("Unit 1.0 build 7 ARX]");
  EXPECT_EQ(e.hardware, "");
  EXPECT_EQ(e.build, "7");
}

TEST(ProgressStart, PadsAddressesOfHostsBelow10And100) {
  EXPECT_EQ(ProgressStart("10.42.23.5", 5), "10.42.23.5   | Ver = ");
  EXPECT_EQ(ProgressStart("10.42.23.42", 42), "10.42.23.42  | Ver = ");
  EXPECT_EQ(ProgressStart("10.42.23.142", 142), "10.42.23.142 | Ver = ");
}

TEST(RegistrationCount, WholeCountsOnly) {
  EXPECT_EQ(RegistrationCount("3"), 3);
  EXPECT_EQ(RegistrationCount("  12abc"), 12);
  EXPECT_EQ(RegistrationCount("abc"), 0);
  EXPECT_EQ(RegistrationCount(""), 0);
  EXPECT_EQ(RegistrationCount("-3"), 0);
  EXPECT_EQ(RegistrationCount("65535"), 0);
  EXPECT_EQ(RegistrationCount("99999999999999999999"), 0);
  EXPECT_EQ(RegistrationCount("32767"), 32767);
}

TEST(FitRight, PadsOrCuts) {
  EXPECT_EQ(FitRight("87", 4), "  87");
  EXPECT_EQ(FitRight("-61", 4), " -61");
  EXPECT_EQ(FitRight("123456", 4), "1234");
  EXPECT_EQ(FitRight("", 3), "   ");
}

TEST(AnswerFile, LinesQuotesAndEscapes) {
  AnswerFile a = AnswerFile::FromText(
      "\"Unit 2.5.1 build 4711 [ARX-200]\"\r\n\"say \\\"hi\\\" \\\\ there\"\n87\n\"\"\n\"half",
      AnswerFile::Values::kSnmpValues);
  EXPECT_EQ(a.Line(1), "Unit 2.5.1 build 4711 [ARX-200]");
  EXPECT_EQ(a.Line(2), "say \"hi\" \\ there");
  EXPECT_EQ(a.Line(3), "87");
  EXPECT_EQ(a.Line(4), "");
  EXPECT_EQ(a.Line(5), "\"half");
  EXPECT_EQ(a.Line(6), "");
  EXPECT_EQ(a.Line(0), "");
  // velkor's report is taken as printed.
  AnswerFile b = AnswerFile::FromText("\"quoted\"\r\n", AnswerFile::Values::kAsPrinted);
  EXPECT_EQ(b.Line(1), "\"quoted\"");
  EXPECT_EQ(AnswerFile::Read("/nonexistent/answer.txt", AnswerFile::Values::kAsPrinted).Line(1),
            "");
}

// The query with canned answers: each command's answer file gets the text
// stored under "program oid-or-action ip".
class QueryTest : public testing::Test {
 protected:
  void SetUp() override {
    work = FreshTestFolder("query");
    setup.workDir = work;
    setup.jobs = 1;
    setup.interruptNoted = [] { return 0; };
    setup.snmpwalk = "snmpwalk";
    setup.velkor = "velkor";
    setup.run = [this](const fs::path&, const ChildCommand& command, const ErrorSink&,
                       const std::atomic<bool>&) {
      commands.push_back(CommandLineText(command));
      scratchSeen = fs::is_directory(work / "tmp");
      const std::vector<std::string>& w = command.words;
      std::string key = w[0] == "velkor" ? "velkor " + w[1] : "snmpwalk " + w[8] + " " + w[7];
      auto it = answers.find(key);
      if (it == answers.end()) return;  // as a program that printed nothing
      std::ofstream(work / command.answer, std::ios::binary) << it->second;
    };
  }

  void Alive(std::initializer_list<int> hosts) {
    for (int h : hosts) table[h].alive = true;
  }
  void Run(Mode mode) { RunQuery(setup, "10.42.23.", mode, settings, table); }

  // The screen row holding a host's progress line.
  std::string RowOf(const std::string& ip) {
    for (int r = 1; r <= kScreenRows; ++r) {
      if (screen.Row(r).rfind(ip + " ", 0) == 0) return screen.Row(r);
    }
    return "(no row for " + ip + ")";
  }
  int RowNumber(const std::string& ip) {
    for (int r = 1; r <= kScreenRows; ++r) {
      if (screen.Row(r).rfind(ip + " ", 0) == 0) return r;
    }
    return 0;
  }

  fs::path work;
  MemoryScreen screen;
  Console console{screen};
  QuerySetup setup{console};
  Settings settings;
  DeviceTable table;
  std::map<std::string, std::string> answers;
  std::vector<std::string> commands;
  bool scratchSeen = false;
};

const std::string kSys = std::string("snmpwalk ") + kSystemDescriptionOid + " ";
const std::string kInfo = std::string("snmpwalk ") + kWirelessOid + " ";
const std::string kAp = std::string("snmpwalk ") + kRegistrationOid + " ";

TEST_F(QueryTest, FirmwareModeAsksOnlyTheDescriptionOfLiveHosts) {
  Alive({5, 42, 142});
  table[7].sysDescr = "not alive, never asked";
  answers[kSys + "10.42.23.5"] = "\"Unit 2.5.1 build 4711 [ARX-200]\"\n";
  answers[kSys + "10.42.23.42"] = "\"Unit 2.6.0 build 4802 [ARX-500]\"\r\n";
  answers[kSys + "10.42.23.142"] = "\"Unit 2.4.9 build 4388 [CPE-110]\"\n";
  table[42].mac = "kept";
  table[42].quality = "99";
  Run(Mode::kFirmware);
  EXPECT_EQ(commands, (std::vector<std::string>{
                          "snmpwalk -v 2c -Ov -Oq -c oriole 10.42.23.5 1.3.6.1.2.1.1.1 > tmp/10.42.23.5.temp.txt",
                          "snmpwalk -v 2c -Ov -Oq -c oriole 10.42.23.42 1.3.6.1.2.1.1.1 > tmp/10.42.23.42.temp.txt",
                          "snmpwalk -v 2c -Ov -Oq -c oriole 10.42.23.142 1.3.6.1.2.1.1.1 > tmp/10.42.23.142.temp.txt",
                      }));
  EXPECT_EQ(screen.Row(1), "Checking CPEs 10.42.23.x/24. CRTL-BREAK to abort.");
  EXPECT_EQ(screen.Row(2), std::string(50, '='));
  EXPECT_EQ(screen.Row(3), "10.42.23.5   | Ver = Unit 2.5.1 build 471...");
  EXPECT_EQ(screen.Row(4), "10.42.23.42  | Ver = Unit 2.6.0 build 480...");
  EXPECT_EQ(screen.Row(5), "10.42.23.142 | Ver = Unit 2.4.9 build 438...");
  EXPECT_EQ(screen.At(1, 1).foreground, 14);
  EXPECT_EQ(screen.At(3, 22).foreground, 14);
  EXPECT_EQ(table[42].snmpState, SnmpState::kAnswered);
  EXPECT_EQ(table[42].firmware, "2.6.0");
  EXPECT_EQ(table[42].build, "4802");
  EXPECT_EQ(table[42].hardware, "ARX-500");
  EXPECT_EQ(table[42].mac, "kept");
  EXPECT_EQ(table[42].quality, "99");
  EXPECT_EQ(table[7].sysDescr, "not alive, never asked");
  EXPECT_TRUE(scratchSeen);
  EXPECT_FALSE(fs::exists(work / "tmp"));
}

TEST_F(QueryTest, FallsBackToTheSystemReport) {
  Alive({9, 17, 33, 64});
  settings.password = "";
  answers[kSys + "10.42.23.9"] = "No Such Instance currently exists at this OID\n";
  answers["velkor 10.42.23.9"] = "System information for cpe (10.42.23.9)\r\nUnit 2.4.9 build 4388 [CPE-110]\r\n";
  answers["velkor 10.42.23.17"] = "Server reported an error: Command not supported\n";
  answers["velkor 10.42.23.33"] = "Unable to talk with server\n";
  // 64: neither answers anything at all.
  Run(Mode::kFull);
  EXPECT_EQ(commands[1], "velkor 10.42.23.9  -sysinfo > tmp/10.42.23.9.temp.txt");
  EXPECT_EQ(commands.size(), 8u);  // no wireless question without SNMP
  EXPECT_EQ(table[9].snmpState, SnmpState::kNoAnswer);
  EXPECT_EQ(table[9].firmware, "2.4.9");
  EXPECT_EQ(table[9].hardware, "CPE-110");
  EXPECT_EQ(RowOf("10.42.23.9"), "10.42.23.9   | Ver = Unit 2.4.9 build 438");
  EXPECT_EQ(screen.At(RowNumber("10.42.23.9"), 22).foreground, 12);
  EXPECT_EQ(table[17].serverAnswer, ServerAnswer::kOldServer);
  EXPECT_EQ(table[17].firmware, "OLDVERSION");
  EXPECT_EQ(table[17].build, "");
  EXPECT_EQ(RowOf("10.42.23.17"), "10.42.23.17  | Ver = OLD OLDVERSION");
  EXPECT_EQ(screen.At(RowNumber("10.42.23.17"), 22).foreground, 14);
  EXPECT_EQ(screen.At(RowNumber("10.42.23.17"), 26).foreground, 12);
  EXPECT_EQ(table[33].firmware, "UNKNOWN");
  EXPECT_EQ(RowOf("10.42.23.33"), "10.42.23.33  | Ver = UNKNOWN");
  EXPECT_EQ(table[64].firmware, "UNKNOWN");
  EXPECT_EQ(table[64].sysDescr, "");
  EXPECT_EQ(RowOf("10.42.23.64"), "10.42.23.64  | Ver =");
}

TEST_F(QueryTest, FullModeReadsWirelessFiguresAndTheLastRegistration) {
  Alive({1, 2, 5});
  answers[kSys + "10.42.23.1"] = "\"Unit 2.6.0 build 4802 [ARX-500]\"\n";
  answers[kInfo + "10.42.23.1"] = "\"wpci1\"\n\"00 0C 42 17 00 01 \"\n3\n87\n-61\n-95\n36\n";
  answers[kAp + "10.42.23.1"] =
      "1\n2\n3\n\"00 0C 42 AA 00 01 \"\n\"00 0C 42 AA 00 02 \"\n\"00 0C 42 AA 00 03 \"\n"
      "a1\na2\na3\nb1\nb2\nb3\n5\n5\n5\n6\n6\n6\n7\n7\n7\n31\n32\n33\n54\n48\n36\n11\n12\n13\n";
  answers[kSys + "10.42.23.2"] = "\"Unit 2.6.0 build 4802 [ARX-500]\"\n";
  answers[kInfo + "10.42.23.2"] = "\"wpci1\"\n\"wpci2\"\n\"00 0C 42 17 00 02 \"\n";
  answers[kSys + "10.42.23.5"] = "\"Unit 2.5.1 build 4711 [ARX-200]\"\n";
  answers[kInfo + "10.42.23.5"] = "\"wpci1\"\n\"00 0C 42 17 00 05 \"\n1\n123456\n-70\n";
  table[2].quality = "old";
  Run(Mode::kFull);
  const DeviceEntry& ap = table[1];
  EXPECT_EQ(ap.mac, "00 0C 42 17 00 01 ");
  EXPECT_EQ(ap.registrations, 3);
  EXPECT_EQ(ap.quality, "87");
  EXPECT_EQ(ap.signal, "-61");
  EXPECT_EQ(ap.noise, "-95");
  EXPECT_EQ(ap.linkDb, "33");
  EXPECT_EQ(ap.linkRx, "36");
  EXPECT_EQ(ap.linkTx, "13");
  std::string row = RowOf("10.42.23.1");
  EXPECT_EQ(row, "10.42.23.1   | Ver = Unit 2.6.0 build 480...     3    87  -61  -95");
  int r = RowNumber("10.42.23.1");
  EXPECT_EQ(screen.At(r, 50).foreground, 13);  // more than one registration
  EXPECT_EQ(screen.At(r, 55).foreground, 14);

  EXPECT_EQ(table[2].mac, "MULTIPLE");
  EXPECT_EQ(table[2].quality, "old");
  EXPECT_EQ(RowOf("10.42.23.2"), "10.42.23.2   | Ver = Unit 2.6.0 build 480...");

  EXPECT_EQ(table[5].registrations, 1);
  EXPECT_EQ(table[5].noise, "");
  int r5 = RowNumber("10.42.23.5");
  EXPECT_EQ(RowOf("10.42.23.5"), "10.42.23.5   | Ver = Unit 2.5.1 build 471...     1  1234  -70");
  EXPECT_EQ(screen.At(r5, 50).foreground, 14);
  // One walk for the description, one for the figures, and the table only
  // where there is one card: 3 + 2 + 3.
  EXPECT_EQ(commands.size(), 8u);
}

TEST_F(QueryTest, InstanceTextAndTheZebPlatform) {
  Alive({3, 4});
  answers[kSys + "10.42.23.3"] = "Linux zeb-platform 2.4.20 #1\n";
  answers[kSys + "10.42.23.4"] = "No Such Instance currently exists at this OID\n";
  table[3].build = "kept";
  Run(Mode::kFull);
  EXPECT_EQ(table[3].firmware, "VERSION 1.?.?");
  EXPECT_EQ(table[3].hardware, "XSCALE-ZEB");
  EXPECT_EQ(table[3].build, "kept");
  EXPECT_EQ(table[3].snmpState, SnmpState::kNoAnswer);
  // 3 asks only SNMP; 4 falls back to velkor.
  EXPECT_EQ(commands.size(), 3u);
  EXPECT_EQ(table[4].firmware, "UNKNOWN");
}

TEST_F(QueryTest, RegistrationCountsOutOfRangeReadNothing) {
  Alive({5, 6});
  answers[kSys + "10.42.23.5"] = "\"Unit 2.5.1 build 4711 [ARX-200]\"\n";
  answers[kInfo + "10.42.23.5"] = "\"wpci1\"\n\"00 0C 42 17 00 05 \"\n65535\n1\n2\n3\n";
  answers[kSys + "10.42.23.6"] = "\"Unit 2.5.1 build 4711 [ARX-200]\"\n";
  answers[kInfo + "10.42.23.6"] = "\"wpci1\"\n\"00 0C 42 17 00 06 \"\n-3\n";
  table[5].linkDb = "kept";
  Run(Mode::kFull);
  EXPECT_EQ(table[5].registrations, 0);
  EXPECT_EQ(table[5].linkDb, "kept");
  EXPECT_EQ(table[6].registrations, 0);
  EXPECT_EQ(RowOf("10.42.23.6"), "10.42.23.6   | Ver = Unit 2.5.1 build 471...     0");
}

TEST_F(QueryTest, ALongAnswerLineIsCutOnScreenOnly) {
  Alive({5});
  std::string huge = "Unit 9.9 build 1 [" + std::string(100000, 'X') + "]";
  answers[kSys + "10.42.23.5"] = "\"" + huge + "\"\n";
  Run(Mode::kFirmware);
  EXPECT_EQ(table[5].sysDescr, huge);
  EXPECT_EQ(table[5].hardware.size(), 100000u);
  EXPECT_EQ(RowOf("10.42.23.5"), "10.42.23.5   | Ver = Unit 9.9 build 1 [XX...");
}

TEST_F(QueryTest, ProgressLinesFollowEachOtherAndScroll) {
  for (int h = 1; h <= 60; ++h) {
    table[h].alive = true;
    answers[kSys + "10.42.23." + std::to_string(h)] = "Unit 1.0 build 1 [ARX]\n";
  }
  // The zeb unit prints nothing after " | Ver = ", so the 88 blanks leave
  // the cursor on its row and the next host's line is written over it.
  answers[kSys + "10.42.23.50"] = "Linux zeb-platform\n";
  Run(Mode::kFirmware);
  EXPECT_EQ(screen.Row(kScreenRows), "10.42.23.60  | Ver = Unit 1.0 build 1 [AR...");
  EXPECT_EQ(screen.Row(kScreenRows - 1), "10.42.23.59  | Ver = Unit 1.0 build 1 [AR...");
  EXPECT_EQ(screen.scrolls, 16);
  EXPECT_EQ(RowNumber("10.42.23.50"), 0);
  EXPECT_EQ(RowOf("10.42.23.51"), "10.42.23.51  | Ver = Unit 1.0 build 1 [AR...");
  EXPECT_EQ(RowNumber("10.42.23.52"), RowNumber("10.42.23.51") + 1);
}

TEST_F(QueryTest, AForeignFileInTmpSurvivesAndTheFolderStays) {
  fs::create_directories(work / "tmp");
  std::ofstream(work / "tmp" / "notes.txt") << "mine";
  Alive({5});
  answers[kSys + "10.42.23.5"] = "\"Unit 2.5.1 build 4711 [ARX-200]\"\n";
  Run(Mode::kFirmware);
  EXPECT_TRUE(fs::exists(work / "tmp" / "notes.txt"));
  EXPECT_FALSE(fs::exists(work / "tmp" / "10.42.23.5.temp.txt"));
  EXPECT_EQ(table[5].firmware, "2.5.1");
}

TEST_F(QueryTest, TmpAsAPlainFileGivesEmptyAnswers) {
  std::ofstream(work / "tmp") << "a file, not a folder";
  Alive({5});
  setup.run = nullptr;  // the real child layer: nothing can be written
  setup.snmpwalk = "/bin/true";
  setup.velkor = "/bin/true";
  Run(Mode::kFull);
  EXPECT_EQ(table[5].firmware, "UNKNOWN");
  EXPECT_EQ(table[5].snmpState, SnmpState::kNoAnswer);
  std::ifstream in(work / "tmp");
  std::string content;
  std::getline(in, content);
  EXPECT_EQ(content, "a file, not a folder");
}

// Many hosts of every kind, asked side by side with later hosts answering
// sooner: the screen, cell by cell with its colours, and every entry are
// what asking one host after another gives.
class Scenario {
 public:
  struct Outcome {
    std::vector<std::string> cells;
    DeviceTable table;
  };

  static Outcome Run(int jobs, Mode mode) {
    MemoryScreen screen;
    Console console(screen);
    QuerySetup setup(console);
    setup.workDir = FreshTestFolder("scenario");
    setup.snmpwalk = "snmpwalk";
    setup.velkor = "velkor";
    setup.jobs = jobs;
    setup.interruptNoted = [] { return 0; };
    setup.run = [&setup](const fs::path&, const ChildCommand& command, const ErrorSink& errorText,
                         const std::atomic<bool>&) {
      const std::vector<std::string>& w = command.words;
      const std::string& ip = w[0] == "velkor" ? w[1] : w[7];
      const int host = std::stoi(ip.substr(ip.rfind('.') + 1));
      std::this_thread::sleep_for(std::chrono::microseconds((60 - host) * 150));
      std::string answer;
      if (w[0] == "velkor") {
        const char* reports[] = {"Server reported an error: Command not supported\n",
                                 "Unable to talk with server\n",
                                 "System information\r\nUnit 2.4.9 build 4388 [CPE-110]\r\n", ""};
        answer = reports[host % 4];
      } else if (w[8] == kSystemDescriptionOid) {
        switch (host % 5) {
          case 0: errorText("Timeout: No Resp"); errorText("onse from " + ip + "\n"); break;
          case 1: answer = "Linux zeb-platform 2.4\n"; break;
          case 2: answer = "No Such Instance currently exists at this OID\n"; break;
          default: answer = "\"Unit 2.6." + std::to_string(host) + " build 48 [ARX-500]\"\n";
        }
      } else if (w[8] == kWirelessOid) {
        answer = host % 3 == 0 ? "\"wpci1\"\n\"wpci2\"\n"
                               : "\"wpci1\"\n\"00 0C 42 17 00 01 \"\n" + std::to_string(host % 4) +
                                     "\n87\n-61\n-95\n";
      } else {
        for (int column = 1; column <= 10; ++column) {
          for (int row = 1; row <= host % 4; ++row) answer += std::to_string(column * row) + "\n";
        }
      }
      std::ofstream(setup.workDir / command.answer, std::ios::binary) << answer;
    };
    DeviceTable table;
    for (int h = 1; h <= 60; ++h) table[h].alive = h % 7 != 0;
    RunQuery(setup, "10.42.23.", mode, Settings{}, table);
    Outcome outcome{{}, table};
    for (int r = 1; r <= kScreenRows; ++r) {
      std::string row;
      for (int c = 1; c <= kScreenColumns; ++c) {
        const MemoryScreen::Cell& cell = screen.At(r, c);
        row += static_cast<char>(cell.c);
        row += static_cast<char>('a' + cell.foreground);
        row += static_cast<char>('a' + cell.background);
      }
      outcome.cells.push_back(row);
    }
    outcome.cells.push_back(std::to_string(screen.scrolls));
    return outcome;
  }
};

TEST(QueryJobs, SideBySideGivesTheScreenAndEntriesOfOneAtATime) {
  for (Mode mode : {Mode::kFirmware, Mode::kFull}) {
    Scenario::Outcome one = Scenario::Run(1, mode);
    for (int jobs : {8, 254}) {
      Scenario::Outcome many = Scenario::Run(jobs, mode);
      EXPECT_EQ(many.cells, one.cells) << jobs << " jobs, mode " << static_cast<int>(mode);
      for (int h = 1; h <= 60; ++h) {
        EXPECT_TRUE(many.table[h] == one.table[h]) << "host " << h << ", " << jobs << " jobs";
      }
    }
  }
}

TEST_F(QueryTest, AnInterruptStopsTheQueryAndRemovesItsFiles) {
  for (int h = 1; h <= 40; ++h) Alive({h});
  setup.jobs = 4;
  std::atomic<int> asked{0};
  setup.run = [&](const fs::path&, const ChildCommand& command, const ErrorSink&,
                  const std::atomic<bool>& cancel) {
    std::ofstream(work / command.answer) << "partial\n";
    // A child that runs until it is ended.
    ++asked;
    while (!cancel) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  setup.interruptNoted = [&] { return asked >= 4 ? 2 : 0; };
  try {
    Run(Mode::kFirmware);
    ADD_FAILURE() << "no interruption";
  } catch (const Interrupted& interrupted) {
    EXPECT_EQ(interrupted.signal, 2);
  }
  EXPECT_EQ(asked, 4);
  EXPECT_FALSE(fs::exists(work / "tmp"));
}

}  // namespace
}  // namespace halvex
