#include "cmdline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frames.h"
#include "usage.h"

namespace velkor {

using namespace protocol;
namespace {

ScanOutcome Scan(std::vector<std::string> args) { return ScanCommandLine(args, "velkor"); }

TEST(ProgramName, StripsFolderAndExeSuffix) {
  EXPECT_EQ(ProgramName("/usr/local/bin/velkor"), "velkor");
  EXPECT_EQ(ProgramName("C:\\tools\\velkor.exe"), "velkor");
  EXPECT_EQ(ProgramName("VELKOR.EXE"), "VELKOR");
  EXPECT_EQ(ProgramName("velkor.Exe"), "velkor.Exe");
  EXPECT_EQ(ProgramName("a.exe.EXE"), "a");
  EXPECT_EQ(ProgramName("dir/velkor.exe.bak"), "velkor");
}

TEST(Scan, IncompleteCommandsPrintUsageAndEndWithZero) {
  for (auto args : std::vector<std::vector<std::string>>{
           {}, {"10.0.0.1"}, {"10.0.0.1", "pw"}, {"10.0.0.1", "-s"}, {"10.0.0.1", "pw", "-s", "-da"}}) {
    ScanOutcome out = Scan(args);
    EXPECT_FALSE(out.run);
    EXPECT_EQ(out.exitCode, 0);
    EXPECT_EQ(out.output, UsageText("velkor"));
  }
}

TEST(Scan, UnknownWordPrintsItsNameThenUsage) {
  ScanOutcome out = Scan({"10.0.0.1", "pw", "-x"});
  EXPECT_FALSE(out.run);
  EXPECT_EQ(out.exitCode, 0);
  EXPECT_EQ(out.output, "Unknown parameter: -x\n\n" + UsageText("velkor"));
}

TEST(Scan, PasswordIsTheSecondWordUnlessItIsAnOption) {
  ScanOutcome with = Scan({"host", "BlueOx", "-sysinfo"});
  ASSERT_TRUE(with.run);
  EXPECT_EQ(with.command.password, "BlueOx");
  ScanOutcome without = Scan({"host", "-reboot"});
  ASSERT_TRUE(without.run);
  EXPECT_FALSE(without.command.password);
  EXPECT_EQ(without.command.action, kActionNone);
  EXPECT_EQ(without.command.flags, kOptionReboot);
}

TEST(Scan, OptionsIgnoreCaseButNamesOfDevicesDoNot) {
  EXPECT_EQ(Scan({"h", "p", "-SYSINFO"}).command.action, kActionSystemInfo);
  ScanOutcome script = Scan({"h", "p", "-DSCR", "CBQ", "f.txt"});
  ASSERT_TRUE(script.run);
  EXPECT_EQ(script.command.selector, 1);
  EXPECT_EQ(script.command.action, kActionDownloadScript);
  ScanOutcome device = Scan({"h", "p", "-ci", "WLAN1"});
  EXPECT_FALSE(device.run);
  EXPECT_EQ(device.exitCode, 1);
  EXPECT_EQ(device.output, "Please specify a Wireless device name (such as wlan1, or wpci1)\n");
}

TEST(Scan, LastActionAndPathWin) {
  ScanOutcome out = Scan({"h", "p", "-d", "a.cfg", "-u", "b.cfg"});
  ASSERT_TRUE(out.run);
  EXPECT_EQ(out.command.action, kActionUploadConfig);
  EXPECT_EQ(out.command.path, "b.cfg");
}

TEST(Scan, PortRules) {
  auto port = [](std::string word) { return Scan({"h", "p", "-p", word, "-sysinfo"}).command.port; };
  EXPECT_EQ(port("0"), 856);
  EXPECT_EQ(port("abc"), 856);
  EXPECT_EQ(port("65536"), 856);
  EXPECT_EQ(port("65537"), 1);
  EXPECT_EQ(port("8856"), 8856);
  EXPECT_EQ(port("4294967297"), 65535);  // sticks at the int limit, then cut to 16 bits
  // -p takes the next word whatever it looks like.
  ScanOutcome dash = Scan({"h", "p", "-p", "-d"});
  EXPECT_FALSE(dash.run);
  EXPECT_EQ(dash.exitCode, 0);  // -d was the port text: nothing to do
  ScanOutcome missing = Scan({"h", "p", "-sysinfo", "-port"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.output, "Please specify a port number.\n");
}

TEST(Scan, AssociationIndex) {
  for (std::string bad : {"0", "257", "x", "4294967297"}) {
    ScanOutcome out = Scan({"h", "p", "-ai", "wlan1", bad});
    EXPECT_FALSE(out.run) << bad;
    EXPECT_EQ(out.exitCode, 1);
    EXPECT_EQ(out.output, "Please specify an association index between 1 and 256\n");
  }
  ScanOutcome top = Scan({"h", "p", "-ai", "wlan1", "256"});
  ASSERT_TRUE(top.run);
  EXPECT_EQ(top.command.index, 256u);
  ScanOutcome details = Scan({"h", "p", "-ai", "wlan1", "-da"});
  ASSERT_TRUE(details.run);
  EXPECT_EQ(details.command.index, 0u);
  EXPECT_TRUE(details.command.details);
  EXPECT_EQ(details.command.device, "wlan1");
}

TEST(Scan, DeviceNameIsCutTo31Characters) {
  std::string name = "wpci" + std::string(40, '9');
  ScanOutcome out = Scan({"h", "p", "-ci", name});
  ASSERT_TRUE(out.run);
  EXPECT_EQ(out.command.device, name.substr(0, 31));
}

TEST(Scan, UserNamesUpTo255Characters) {
  ScanOutcome ok = Scan({"h", "p", "-dis_ppp", std::string(255, 'u')});
  ASSERT_TRUE(ok.run);
  EXPECT_EQ(ok.command.action, kActionDisconnectPpp);
  ScanOutcome ppp = Scan({"h", "p", "-dis_ppp", std::string(256, 'u')});
  EXPECT_EQ(ppp.exitCode, 1);
  EXPECT_EQ(ppp.output, "PPP username must not be longer than 255 characters.\n");
  ScanOutcome hot = Scan({"h", "p", "-dis_hot_user", std::string(256, 'u')});
  EXPECT_EQ(hot.output, "hotspot username must not be longer than 255 characters.\n");
  EXPECT_EQ(Scan({"h", "p", "-dis_hot_user"}).output,
            "Please specify a hotspot username to disconnect.\n");
}

TEST(Scan, HotspotAddress) {
  ScanOutcome ok = Scan({"h", "p", "-dis_hot_ip", "10.1.2.3"});
  ASSERT_TRUE(ok.run);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&ok.command.hotspotAddress);
  EXPECT_EQ(bytes[0], 10);
  EXPECT_EQ(bytes[3], 3);
  EXPECT_EQ(Scan({"h", "p", "-dis_hot_ip", "255.255.255.255"}).output, "invalid ip address.\n");
  EXPECT_EQ(Scan({"h", "p", "-dis_hot_ip", "ten"}).exitCode, 1);
  EXPECT_EQ(Scan({"h", "p", "-dis_hot_ip"}).output, "Please specify a hotspot ip to disconnect.\n");
}

TEST(Scan, SimpleHotspotListTurnsSilentModeOn) {
  ScanOutcome out = Scan({"h", "p", "-list_hot_simple"});
  ASSERT_TRUE(out.run);
  EXPECT_EQ(out.command.action, kActionListHotspot);
  EXPECT_TRUE(out.command.simpleList);
  EXPECT_TRUE(out.command.silent);
}

TEST(Scan, MissingArgumentsEndWithOneWhateverCameBefore) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"h", "p", "-sysinfo", "-d"}, "Please specify an output file name to save too.\n"},
      {{"h", "p", "-u"}, "Please specify the configuration to upload.\n"},
      {{"h", "p", "-dscr", "bogus", "x"},
       "Please specify a script to download, it can be cbq, fw, nat, rad_users, rad_nas, proxy, or "
       "dhcpd.\n"},
      {{"h", "p", "-dscr", "fw"}, "Please specify a file name to save too.\n"},
      {{"h", "p", "-uscr"},
       "Please specify a script to upload, it can be cbq, fw, nat, rad_users, rad_nas, proxy, or "
       "dhcpd.\n"},
      {{"h", "p", "-uscr", "nat"}, "Please specify a file name to upload.\n"},
      {{"h", "p", "-dpage", "login"}, "Please specify a hotspot page to download.\n"},
      {{"h", "p", "-upage", "home", "x"}, "Please specify a hotspot page to upload.\n"},
      {{"h", "p", "-support"}, "Please specify an output file name to save too.\n"},
      {{"h", "p", "-f"}, "Please specify a firmware file to upload.\n"},
      {{"h", "p", "-upgrade"}, "Please specify a firmware file to upload.\n"},
      {{"h", "p", "-dis_ppp"}, "Please specify a PPP username to disconnect.\n"},
      {{"h", "p", "-ai"}, "Please specify a Wireless device name (such as wlan1, or wpci1)\n"},
  };
  for (const Case& c : cases) {
    ScanOutcome out = Scan(c.args);
    EXPECT_FALSE(out.run);
    EXPECT_EQ(out.exitCode, 1);
    EXPECT_EQ(out.output, c.message);
  }
}

TEST(Scan, PagesAndScriptsByName) {
  EXPECT_EQ(ScriptNumber("rad_users"), 4);
  EXPECT_EQ(ScriptNumber("DHCPD"), 7);
  EXPECT_EQ(ScriptNumber("dhcp"), 0);
  EXPECT_EQ(PageNumber("Splash"), 38);
  EXPECT_EQ(PageNumber("login"), 32);
  EXPECT_EQ(PageNumber("logins"), 0);
  ScanOutcome out = Scan({"h", "p", "-upage", "noservice", "page.html", "-a", "-r"});
  ASSERT_TRUE(out.run);
  EXPECT_EQ(out.command.selector, 37);
  EXPECT_EQ(out.command.flags, kOptionApply | kOptionReboot);
}

}  // namespace
}  // namespace velkor
