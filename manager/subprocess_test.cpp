#include "subprocess.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "child_command.h"
#include "device_query.h"
#include "test_child_command.h"
#include "test_memory_screen.h"
#include "test_folder.h"

namespace halvex {
namespace {

namespace fs = std::filesystem;

class ChildTest : public testing::Test {
 protected:
  void SetUp() override {
    dir = FreshTestFolder("child");
  }
  fs::path Script(const std::string& name, const std::string& body) {
    fs::path file = dir / name;
    std::ofstream(file) << "#!/bin/sh\n" << body;
    fs::permissions(file, fs::perms::owner_all);
    return file;
  }
  std::string Content(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path dir;
};

TEST_F(ChildTest, OutputToTheFileErrorsToTheReceiverNothingOnInput) {
  fs::path program = Script("talk", "echo out; echo err >&2; cat; echo \"[$1]\"; exit 3\n");
  std::string errors;
  CaptureOptions options;
  options.output = dir / "answer.txt";
  options.errorText = [&](std::string_view text) { errors += text; };
  ChildOutcome outcome = RunCaptured({program.string(), "one arg"}, options);
  EXPECT_TRUE(outcome.started);
  EXPECT_FALSE(outcome.timedOut);
  EXPECT_EQ(outcome.exitCode, 3);
  EXPECT_EQ(Content(options.output), "out\n[one arg]\n");
  EXPECT_EQ(errors, "err\n");
}

TEST_F(ChildTest, AProgramThatCannotStartLeavesAnEmptyAnswer) {
  CaptureOptions options;
  options.output = dir / "answer.txt";
  std::ofstream(options.output) << "stale";
  ChildOutcome outcome = RunCaptured({(dir / "no-such-program").string()}, options);
  EXPECT_FALSE(outcome.started);
  EXPECT_TRUE(fs::exists(options.output));
  EXPECT_EQ(Content(options.output), "");
  outcome = RunCaptured({"halvex-no-such-program-on-the-path"}, options);
  EXPECT_FALSE(outcome.started);
  fs::path notRunnable = dir / "plain.txt";
  std::ofstream(notRunnable) << "echo hi\n";
  EXPECT_FALSE(RunCaptured({notRunnable.string()}, options).started);
  EXPECT_FALSE(RunCaptured({}, options).started);
}

TEST_F(ChildTest, DetachedProgramsRunOnTheirOwn) {
  fs::path marker = dir / "started";
  fs::path program = Script("detached", "echo \"$1\" > '" + marker.string() + "'\n");
  EXPECT_TRUE(StartDetached({program.string(), "admin@10.42.23.5"}));
  for (int i = 0; i < 200 && Content(marker).empty(); ++i) usleep(10000);
  EXPECT_EQ(Content(marker), "admin@10.42.23.5\n");
  EXPECT_FALSE(StartDetached({(dir / "no-such-terminal").string(), "-pw"}));
  EXPECT_FALSE(StartDetached({}));
}

TEST_F(ChildTest, AnOutputFileThatCannotBeMadeRunsNothing) {
  fs::path marker = dir / "ran";
  fs::path program = Script("mark", "touch '" + marker.string() + "'\n");
  CaptureOptions options;
  options.output = dir / "missing-folder" / "answer.txt";
  EXPECT_FALSE(RunCaptured({program.string()}, options).started);
  EXPECT_FALSE(fs::exists(marker));
}

// A process that is gone, or a zombie waiting for its parent.
bool Ended(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  return line.substr(line.rfind(')') + 2, 1) == "Z";
}

TEST_F(ChildTest, AChildPastItsTimeIsEndedWithWhatItStartedAndKeepsWhatItPrinted) {
  fs::path program =
      Script("slow", "echo partial\nsleep 30 &\necho $! >" + (dir / "pid").string() + "\nwait\n");
  CaptureOptions options;
  options.output = dir / "answer.txt";
  options.limit = std::chrono::milliseconds(1500);  // time enough to print, even under load
  auto start = std::chrono::steady_clock::now();
  ChildOutcome outcome = RunCaptured({program.string()}, options);
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(outcome.timedOut);
  EXPECT_LT(took, std::chrono::seconds(10));
  EXPECT_EQ(Content(options.output), "partial\n");
  pid_t sleeper = std::stoi(Content(dir / "pid"));
  for (int i = 0; i < 100 && !Ended(sleeper); ++i) usleep(20000);
  EXPECT_TRUE(Ended(sleeper));
}

// Hosts whose children cannot start, hang past their time or all time out
// do not hold up the others: every host is asked and drawn in order.
TEST_F(ChildTest, AQueryGoesOnPastChildrenThatFailOrHang) {
  fs::path walker = Script("snmpwalk",
                           "[ \"$7\" = 10.42.23.7 ] && exec sleep 30\n"
                           "echo \"Timeout: No Response from $7\" >&2\nsleep 0.1\nexit 1\n");
  MemoryScreen screen;
  Console console(screen);
  QuerySetup setup(console);
  setup.workDir = dir;
  setup.snmpwalk = walker;
  setup.velkor = dir / "no-such-velkor";
  setup.childLimit = std::chrono::milliseconds(500);
  setup.interruptNoted = [] { return 0; };
  DeviceTable table;
  for (int h = kFirstHost; h <= kLastHost; ++h) table[h].alive = true;
  auto start = std::chrono::steady_clock::now();
  RunQuery(setup, "10.42.23.", Mode::kFull, Settings{}, table);
  // One after another this would take 25 s and more.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  std::vector<std::string> lines = screen.scrolledOff;
  for (const std::string& row : screen.Rows()) lines.push_back(row);
  std::vector<std::string> hosts;
  for (const std::string& line : lines) {
    if (line.find(" | Ver = ") != std::string::npos) hosts.push_back(line.substr(0, line.find(' ')));
  }
  // Host 7 printed nothing after its address, so host 8's line is drawn
  // over it, as with any host that prints nothing.
  std::vector<std::string> expected;
  for (int h = kFirstHost; h <= kLastHost; ++h) {
    if (h != 7) expected.push_back("10.42.23." + std::to_string(h));
    EXPECT_EQ(table[h].firmware, "UNKNOWN") << h;
  }
  EXPECT_EQ(hosts, expected);
  EXPECT_FALSE(fs::exists(dir / "tmp"));
}

TEST_F(ChildTest, AChildThatClosesItsErrorOutputEarlyIsStillWaitedFor) {
  fs::path program = Script("quiet", "exec 2>&-\nsleep 0.2\necho done\n");
  CaptureOptions options;
  options.output = dir / "answer.txt";
  ChildOutcome outcome = RunCaptured({program.string()}, options);
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(Content(options.output), "done\n");
}

// Settings values reach the child as one plain argument each: nothing in
// them is read by a shell.
TEST_F(ChildTest, HostileSettingsValuesAreOneArgumentEachAndRunNothing) {
  fs::path pwned = dir / "pwned";
  fs::path recorder = Script("snmpwalk", "for a in \"$@\"; do printf '<%s>\\n' \"$a\"; done\n");
  const std::vector<std::string> hostile = {
      "two words", "\"quoted\"", "semi;colon", "pipe|line", "arrow>" + (dir / "x").string(),
      "new\nline", "$(touch " + pwned.string() + ")", "`touch " + pwned.string() + "`", "",
  };
  MemoryScreen screen;
  Console console(screen);
  for (const std::string& value : hostile) {
    QuerySetup setup(console);
    setup.workDir = dir;
    setup.snmpwalk = recorder;
    setup.velkor = recorder;
    DeviceTable table;
    table[7].alive = true;
    Settings settings{value, value};
    // Keep the answer: the recorder's lines become the description.
    std::string recorded;
    setup.run = [&](const fs::path& program, const ChildCommand& command, const ErrorSink&,
                    const std::atomic<bool>&) {
      std::vector<std::string> argv = command.words;
      argv[0] = program.string();
      CaptureOptions options;
      options.output = dir / command.answer;
      RunCaptured(argv, options);
      recorded += Content(options.output);
    };
    RunQuery(setup, "10.42.23.", Mode::kFirmware, settings, table);
    std::string expectedWalk = "<-v>\n<2c>\n<-Ov>\n<-Oq>\n<-c>\n<" + value + ">\n<10.42.23.7>\n<" +
                               std::string(kSystemDescriptionOid) + ">\n";
    EXPECT_EQ(recorded.substr(0, expectedWalk.size()), expectedWalk) << value;
    EXPECT_FALSE(fs::exists(pwned)) << value;
    EXPECT_FALSE(fs::exists(dir / "x")) << value;
  }
}

TEST_F(ChildTest, TheQueryDrawsStandardErrorInTheColourInForce) {
  fs::path walker = Script("snmpwalk", "echo \"Timeout: No Response from $7\" >&2\nexit 1\n");
  fs::path velkor = Script("velkor", "echo 'Unable to talk with server'\n");
  MemoryScreen screen;
  Console console(screen);
  QuerySetup setup(console);
  setup.workDir = dir;
  setup.snmpwalk = walker;
  setup.velkor = velkor;
  DeviceTable table;
  table[5].alive = true;
  RunQuery(setup, "10.42.23.", Mode::kFull, Settings{}, table);
  EXPECT_EQ(screen.Row(3), "10.42.23.5   | Ver = Timeout: No Response from 10.42.23.5");
  EXPECT_EQ(screen.Row(4), "UNKNOWN");
  EXPECT_EQ(screen.At(3, 22).foreground, 12);
  EXPECT_EQ(screen.At(4, 1).foreground, 14);
  EXPECT_EQ(table[5].firmware, "UNKNOWN");
  EXPECT_FALSE(fs::exists(dir / "tmp"));
}

TEST(CommandLineText, TheWordsAsAnOperatorReadsThem) {
  EXPECT_EQ(CommandLineText(SnmpWalkCommand("oriole", "10.42.23.5", kWirelessOid, ".info.txt")),
            "snmpwalk -v 2c -Ov -Oq -c oriole 10.42.23.5 1.3.6.1.3.16313.1.25.2.1 > "
            "tmp/10.42.23.5.info.txt");
  // An empty password is an empty word: two spaces in the text.
  ChildCommand report = SystemReportCommand("10.42.23.5", "");
  EXPECT_EQ(report.words, (std::vector<std::string>{"velkor", "10.42.23.5", "", "-sysinfo"}));
  EXPECT_EQ(CommandLineText(report), "velkor 10.42.23.5  -sysinfo > tmp/10.42.23.5.temp.txt");
  EXPECT_EQ(CommandLineText({{"velkor", "10.42.23.5", "pw", "-reboot"}, {}}),
            "velkor 10.42.23.5 pw -reboot");
}

TEST_F(ChildTest, ProgramsAreLookedForInTheGivenOrder) {
  fs::create_directories(dir / "work");
  fs::create_directories(dir / "beside");
  fs::path inBeside = Script("beside/velkor", "");
  EXPECT_EQ(FindProgram("velkor", {dir / "work", dir / "beside"}), inBeside);
  fs::path inWork = Script("work/velkor", "");
  EXPECT_EQ(FindProgram("velkor", {dir / "work", dir / "beside"}), inWork);
  // A folder of that name, or a file that cannot run, is passed over.
  fs::create_directories(dir / "folder" / "velkor");
  fs::create_directories(dir / "plain");
  std::ofstream(dir / "plain" / "velkor") << "not a program";
  EXPECT_EQ(FindProgram("velkor", {dir / "folder", dir / "plain", dir / "beside"}), inBeside);
  EXPECT_EQ(FindProgram("velkor", {dir / "none"}), fs::path("velkor"));
  // The working folder comes first, then the manager's own folder.
  std::vector<fs::path> folders = VelkorFolders(dir / "work");
  ASSERT_GE(folders.size(), 3u);
  EXPECT_EQ(folders[0], dir / "work");
  EXPECT_EQ(folders[1], ExecutableFolder());
  EXPECT_TRUE(fs::exists(ExecutableFolder() / "halvex_unit_tests"));
}

}  // namespace
}  // namespace halvex
