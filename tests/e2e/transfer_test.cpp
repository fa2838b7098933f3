// File transfers and firmware upgrades against the simulated unit, which
// stores what it is sent: round trips byte for byte, the unit's limits and
// refusals, and the flashing display.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "harness.h"
#include "progress.h"

namespace e2e {
namespace {

using velkor::ProgressLine;

const char kTransferUnit[] = R"(
[[unit]]
address = "127.0.0.1"
name = "e2e-ap"
password = "BlueOx"
firmware = "2.5.1"
build = "4711"
description = "Unit {firmware} build {build} [{hardware}]"
sysinfo = "{description}\n"
config_max_bytes = 100000
config_min_bytes = 10
firmware_min_bytes = 1000
firmware_max_bytes = 200000
flash_steps = 2
flash_step_ms = 0
)";

class TransferToUnit : public UnitsimTest<> {
 protected:
  // The last line of the unit's request log once it holds `text`: the unit
  // writes a session's line just after its final reply, when velkor may be
  // gone.
  static std::string LastLogLine(const Unitsim& unit, const std::string& text) {
    std::string line;
    for (int i = 0; i < 200; ++i) {
      std::string log = unit.Log();
      if (!log.empty() && log.back() == '\n') log.pop_back();
      line = log.substr(log.rfind('\n') + 1);
      if (line.find(text) != std::string::npos) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return line;
  }
  static std::string Binary(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    return bytes;
  }
  TempDir dir;
};

TEST_F(TransferToUnit, ConfigurationRoundTrip) {
  Unitsim unit(kTransferUnit);
  std::string config = Binary(3000);
  WriteFile(dir.File("mine.dat"), config);
  RunResult up = VelkorAgainst(unit, {"-u", dir.File("mine.dat")});
  EXPECT_EQ(up.exitCode, 0);
  EXPECT_EQ(up.out, "Sending file: " + dir.File("mine.dat") + " (2K in size)\n" +
                        ProgressLine(0, 3000) + ProgressLine(0, 3000) +
                        ProgressLine(1460, 3000) + ProgressLine(2920, 3000) +
                        ProgressLine(3000, 3000) + "\n\nOperation has completed successfuly.\n");

  RunResult down = VelkorAgainst(unit, {"-d", dir.File("back.dat")});
  EXPECT_EQ(down.exitCode, 0);
  EXPECT_EQ(down.out, "Saving file to: " + dir.File("back.dat") + " (2K in size)\n" +
                          ProgressLine(0, 3000) + ProgressLine(0, 3000) +
                          ProgressLine(1460, 3000) + ProgressLine(2920, 3000) +
                          ProgressLine(3000, 3000) + "\n\nOperation has completed successfuly.\n");
  EXPECT_EQ(ReadFile(dir.File("back.dat")), config);
}

TEST_F(TransferToUnit, ScriptsTravelWithLfLineEnds) {
  Unitsim unit(kTransferUnit);
  WriteFile(dir.File("cbq.txt"), "tc qdisc del dev eth0 root\r\ntc qdisc add dev eth0 root\r\n");
  RunResult up = VelkorAgainst(unit, {"-uscr", "CBQ", dir.File("cbq.txt"), "-s"});
  EXPECT_EQ(up.exitCode, 0);
  EXPECT_EQ(up.out, "");
  RunResult down = VelkorAgainst(unit, {"-dscr", "cbq", dir.File("cbq.back"), "-s"});
  EXPECT_EQ(down.exitCode, 0);
  EXPECT_EQ(ReadFile(dir.File("cbq.back")),
            "tc qdisc del dev eth0 root\ntc qdisc add dev eth0 root\n");
  // The other scripts are untouched.
  VelkorAgainst(unit, {"-dscr", "nat", dir.File("nat.back"), "-s"});
  EXPECT_NE(ReadFile(dir.File("nat.back")).find("MASQUERADE"), std::string::npos);
}

TEST_F(TransferToUnit, EveryScriptAndPageIsStoredOnItsOwn) {
  Unitsim unit(kTransferUnit);
  std::vector<std::string> scripts = {"cbq", "fw", "nat", "rad_users", "rad_nas", "proxy", "dhcpd"};
  std::vector<std::string> pages = {"login", "alogin", "mlogin", "logout", "status", "noservice",
                                    "splash"};
  for (const auto& s : scripts) {
    WriteFile(dir.File(s), "# " + s + "\n");
    ASSERT_EQ(VelkorAgainst(unit, {"-uscr", s, dir.File(s), "-s"}).exitCode, 0) << s;
  }
  for (const auto& p : pages) {
    WriteFile(dir.File(p), "<html>" + p + "</html>\r\n");
    ASSERT_EQ(VelkorAgainst(unit, {"-upage", p, dir.File(p), "-s"}).exitCode, 0) << p;
  }
  for (const auto& s : scripts) {
    ASSERT_EQ(VelkorAgainst(unit, {"-dscr", s, dir.File(s + ".back"), "-s"}).exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File(s + ".back")), "# " + s + "\n");
  }
  for (const auto& p : pages) {
    ASSERT_EQ(VelkorAgainst(unit, {"-dpage", p, dir.File(p + ".back"), "-s"}).exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File(p + ".back")), "<html>" + p + "</html>\n");
  }
}

TEST_F(TransferToUnit, UploadsOf1460And1461Bytes) {
  Unitsim unit(kTransferUnit);
  // Hello answer (34), request (42), then one or two 1462-byte blocks.
  WriteFile(dir.File("a"), Binary(1460));
  ASSERT_EQ(VelkorAgainst(unit, {"-u", dir.File("a"), "-s"}).exitCode, 0);
  EXPECT_NE(LastLogLine(unit, "received 1538 bytes").find("received 1538 bytes"),
            std::string::npos)
      << unit.Log();
  WriteFile(dir.File("b"), Binary(1461));
  ASSERT_EQ(VelkorAgainst(unit, {"-u", dir.File("b"), "-s"}).exitCode, 0);
  EXPECT_NE(LastLogLine(unit, "received 3000 bytes").find("received 3000 bytes"),
            std::string::npos)
      << unit.Log();
  ASSERT_EQ(VelkorAgainst(unit, {"-d", dir.File("b.back"), "-s"}).exitCode, 0);
  EXPECT_EQ(ReadFile(dir.File("b.back")), Binary(1461));
}

TEST_F(TransferToUnit, ScriptFilesOfOneMebibyteAndOneByteMore) {
  Unitsim unit(kTransferUnit);
  std::string text;
  while (text.size() < 1048576) text += "echo 0123456789abcdef0123456789abcdef0123456789abcdef\n";
  text.resize(1048575);
  text += '\n';
  WriteFile(dir.File("max.txt"), text);
  RunResult up = VelkorAgainst(unit, {"-uscr", "proxy", dir.File("max.txt"), "-s"});
  EXPECT_EQ(up.exitCode, 0);
  ASSERT_EQ(VelkorAgainst(unit, {"-dscr", "proxy", dir.File("max.back"), "-s"}).exitCode, 0);
  EXPECT_EQ(ReadFile(dir.File("max.back")), text);

  // One byte more: nothing to send, and the unit refuses the empty script;
  // the stored one stays.
  WriteFile(dir.File("over.txt"), text + "x");
  RunResult over = VelkorAgainst(unit, {"-uscr", "proxy", dir.File("over.txt")});
  EXPECT_EQ(over.exitCode, 1);
  EXPECT_EQ(over.out, "Server reported an error: File too small\n");
  ASSERT_EQ(VelkorAgainst(unit, {"-dscr", "proxy", dir.File("max.back2"), "-s"}).exitCode, 0);
  EXPECT_EQ(ReadFile(dir.File("max.back2")), text);
}

TEST_F(TransferToUnit, RefusalsCreateNoFile) {
  Unitsim unit(std::string(kTransferUnit) + "support_drive = false\n");
  RunResult support = VelkorAgainst(unit, {"-support", dir.File("support.txt")});
  EXPECT_EQ(support.exitCode, 1);
  EXPECT_EQ(support.out, "Server reported an error: No prepared hard drive found\n");
  EXPECT_FALSE(FileExists(dir.File("support.txt")));

  WriteFile(dir.File("big.dat"), Binary(100001));
  RunResult big = VelkorAgainst(unit, {"-u", dir.File("big.dat")});
  EXPECT_EQ(big.exitCode, 1);
  EXPECT_EQ(big.out, "Server reported an error: File too large\n");
  WriteFile(dir.File("small.dat"), Binary(9));
  RunResult small = VelkorAgainst(unit, {"-u", dir.File("small.dat")});
  EXPECT_EQ(small.exitCode, 1);
  EXPECT_EQ(small.out, "Server reported an error: File too small\n");

  RunResult page = VelkorAgainst(unit, {"-dpage", "status", dir.File("status.html")});
  EXPECT_EQ(page.exitCode, 0);
  EXPECT_TRUE(FileExists(dir.File("status.html")));
}

TEST_F(TransferToUnit, SupportFileIsComposed) {
  Unitsim unit(kTransferUnit);
  RunResult r = VelkorAgainst(unit, {"-support", dir.File("support.txt"), "-s"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "");
  std::string support = ReadFile(dir.File("support.txt"));
  EXPECT_EQ(support.find("Support file of e2e-ap (127.0.0.1)\n"), 0u);
  EXPECT_NE(support.find("Unit 2.5.1 build 4711 [ARX-200]"), std::string::npos);
}

TEST_F(TransferToUnit, StoredFilesSurviveARestart) {
  TempDir state;
  WriteFile(dir.File("mine.dat"), Binary(5000));
  {
    Unitsim unit(kTransferUnit, {"--state", state.path()});
    ASSERT_EQ(VelkorAgainst(unit, {"-u", dir.File("mine.dat"), "-s"}).exitCode, 0);
  }
  Unitsim again(kTransferUnit, {"--state", state.path()});
  ASSERT_EQ(VelkorAgainst(again, {"-d", dir.File("back.dat"), "-s"}).exitCode, 0);
  EXPECT_EQ(ReadFile(dir.File("back.dat")), Binary(5000));
}

// An image of 5018 bytes (5 kilobytes of flashing) naming 2.6.0 build 4802.
std::string Image() { return "UNITFW 2.6.0 4802\n" + std::string(5000, '\x5A'); }

std::string FlashDisplay() {
  return "Checking image\nImage holds firmware 2.6.0 build 4802\nErasing flash\n"
         "Flashing Firmware:\n" + ProgressLine(0, 5) + ProgressLine(2, 5) + ProgressLine(5, 5) +
         "\n\nVerifying Firmware:\n" + ProgressLine(0, 5) + ProgressLine(2, 5) +
         ProgressLine(5, 5) + "\n\nUpgrade complete\n\n";
}

TEST_F(TransferToUnit, FirmwareWithApplyShowsTheFlashing) {
  Unitsim unit(kTransferUnit);
  WriteFile(dir.File("fw.bin"), Image());
  RunResult r = VelkorAgainst(unit, {"-f", dir.File("fw.bin"), "-a"});
  EXPECT_EQ(r.exitCode, 0);
  std::string uploadEnd = ProgressLine(5018, 5018) + "\n\n";
  std::size_t at = r.out.find(uploadEnd);
  ASSERT_NE(at, std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("Sending file: " + dir.File("fw.bin") + " (4K in size)\n"), 0u);
  EXPECT_EQ(r.out.substr(at + uploadEnd.size()),
            FlashDisplay() + "Operation has completed successfuly.\n");

  RunResult info = VelkorAgainst(unit, {"-sysinfo", "-s"});
  EXPECT_EQ(info.out, "Unit 2.6.0 build 4802 [ARX-200]\n");
}

TEST_F(TransferToUnit, FirmwareInSilentModeStillShowsTheFlashing) {
  Unitsim unit(kTransferUnit);
  WriteFile(dir.File("fw.bin"), Image());
  RunResult r = VelkorAgainst(unit, {"-f", dir.File("fw.bin"), "-a", "-s"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, FlashDisplay());
}

TEST_F(TransferToUnit, FirmwareWithBootRom) {
  std::string description = kTransferUnit;
  description.replace(description.find("flash_steps = 2"), 15, "flash_steps = 1");
  Unitsim unit(description + "flash_bootrom = true\n");
  WriteFile(dir.File("fw.bin"), Image());
  RunResult r = VelkorAgainst(unit, {"-f", dir.File("fw.bin"), "-apply", "-s"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Checking image\nImage holds firmware 2.6.0 build 4802\nErasing flash\n"
                   "Flashing Firmware:\n" + ProgressLine(0, 5) + ProgressLine(5, 5) +
                       "\n\nVerifying Firmware:\n" + ProgressLine(0, 5) + ProgressLine(5, 5) +
                       "\n\nUpdating boot ROM\n\n\nFlashing Bootrom:\n" + ProgressLine(0, 256) +
                       ProgressLine(256, 256) + "\n\nVerifying Bootrom:\n" +
                       ProgressLine(0, 256) + ProgressLine(256, 256) +
                       "\n\nUpgrade complete\n\n");
}

TEST_F(TransferToUnit, FirmwareWithoutApply) {
  Unitsim unit(kTransferUnit);
  WriteFile(dir.File("fw.bin"), Image());
  RunResult r = VelkorAgainst(unit, {"-f", dir.File("fw.bin")});
  EXPECT_EQ(r.exitCode, 0);
  std::string tail = ProgressLine(5018, 5018) +
                     "\n\nOperation has completed successfuly.\n"
                     "Please select the 'Upgrade Firmware' option on the server to finish.\n";
  ASSERT_GE(r.out.size(), tail.size());
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
  EXPECT_EQ(VelkorAgainst(unit, {"-sysinfo", "-s"}).out, "Unit 2.5.1 build 4711 [ARX-200]\n");

  RunResult silent = VelkorAgainst(unit, {"-f", dir.File("fw.bin"), "-s"});
  EXPECT_EQ(silent.exitCode, 0);
  EXPECT_EQ(silent.out, "");
}

TEST_F(TransferToUnit, FirmwareLimits) {
  Unitsim unit(kTransferUnit);
  WriteFile(dir.File("tiny.bin"), "UNITFW 9 9\n");
  RunResult tiny = VelkorAgainst(unit, {"-f", dir.File("tiny.bin"), "-a"});
  EXPECT_EQ(tiny.exitCode, 1);
  EXPECT_EQ(tiny.out, "Server reported an error: File too small\n");
  WriteFile(dir.File("huge.bin"), std::string(200001, 'h'));
  RunResult huge = VelkorAgainst(unit, {"-upgrade", dir.File("huge.bin")});
  EXPECT_EQ(huge.exitCode, 1);
  EXPECT_EQ(huge.out, "Server reported an error: File too large\n");
  RunResult missing = VelkorAgainst(unit, {"-f", dir.File("none.bin")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "File " + dir.File("none.bin") + " does not exist.\n");
}

TEST_F(TransferToUnit, UpgradedVersionSurvivesARestart) {
  TempDir state;
  WriteFile(dir.File("fw.bin"), Image());
  {
    Unitsim unit(kTransferUnit, {"--state", state.path()});
    ASSERT_EQ(VelkorAgainst(unit, {"-f", dir.File("fw.bin"), "-a", "-s"}).exitCode, 0);
  }
  Unitsim again(kTransferUnit, {"--state", state.path()});
  EXPECT_EQ(VelkorAgainst(again, {"-sysinfo", "-s"}).out, "Unit 2.6.0 build 4802 [ARX-200]\n");
}

}  // namespace
}  // namespace e2e
