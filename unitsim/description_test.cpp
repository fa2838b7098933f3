#include "description.h"

#include <gtest/gtest.h>

#include "options.h"
#include "report.h"
#include "server.h"
#include "template.h"
#include "test_description.h"

namespace unitsim {
namespace {

using test::ErrorOf;
using test::Parse;

TEST(Description, MinimalUnitTakesBuiltInDefaults) {
  LabDescription lab = Parse("[[unit]]\naddress = \"10.1.2.3\"\nname = \"ap1\"\n");
  ASSERT_EQ(lab.units.size(), 1u);
  const UnitDescription& unit = lab.units[0];
  EXPECT_EQ(unit.address, "10.1.2.3");
  EXPECT_EQ(unit.name, "ap1");
  EXPECT_EQ(unit.settings.password, "BlueOx");
  EXPECT_EQ(unit.settings.port, 856);
  EXPECT_EQ(unit.settings.hardware, "ARX-200");
  EXPECT_EQ(unit.settings.firmware, "2.5.1");
  EXPECT_EQ(unit.settings.build, "4711");
  EXPECT_EQ(unit.settings.rebootSeconds, 0u);
  EXPECT_EQ(unit.settings.state, std::filesystem::path("/labs/state"));
}

TEST(Description, DefaultsApplyUnlessTheUnitSetsItsOwn) {
  LabDescription lab = Parse(R"(
[[unit]]
address = "10.0.0.1"
name = "one"
password = "Own"
firmware = "3.0"
state = "/var/units"

[defaults]
password = "Shared"
port = 9856
hardware = "ARX-500"
reboot_seconds = 30
state = "lab-state"

[[unit]]
address = "10.0.0.2"
name = "two"
port = 857
)");
  ASSERT_EQ(lab.units.size(), 2u);
  const UnitSettings& one = lab.units[0].settings;
  const UnitSettings& two = lab.units[1].settings;
  EXPECT_EQ(one.password, "Own");
  EXPECT_EQ(one.firmware, "3.0");
  EXPECT_EQ(one.port, 9856);
  EXPECT_EQ(one.hardware, "ARX-500");
  EXPECT_EQ(one.state, std::filesystem::path("/var/units"));
  EXPECT_EQ(two.password, "Shared");
  EXPECT_EQ(two.firmware, "2.5.1");
  EXPECT_EQ(two.port, 857);
  EXPECT_EQ(two.rebootSeconds, 30u);
  EXPECT_EQ(two.state, std::filesystem::path("/labs/lab-state"));
  EXPECT_EQ(lab.units[1].line, 16);
}

TEST(Description, ReportsExpandTheirTemplatesFromTheCurrentState) {
  LabDescription lab = Parse(R"(
[defaults]
hardware = "ARX-300"
description = "Unit {firmware} build {build} [{hardware}]"
sysinfo = """
System information for {name} ({address})
{description}
Uptime: {uptime}
"""
kernlog = "boot of {name}, {Name} and { name } stay\n"
[[unit]]
address = "127.0.0.9"
name = "lab-ap"
)");
  Unit unit(lab.units[0]);
  EXPECT_EQ(ComposeReport(unit, ReportKind::kSystemInfo),
            "System information for lab-ap (127.0.0.9)\n"
            "Unit 2.5.1 build 4711 [ARX-300]\n"
            "Uptime: 0 days, 00:00:00\n");
  unit.state.With([](UnitStateData& d) {
    d.firmware = "2.6.0";
    d.build = "5000";
  });
  EXPECT_EQ(ComposeReport(unit, ReportKind::kKernelLog), "boot of lab-ap, {Name} and { name } stay\n");
  std::string report = ComposeReport(unit, ReportKind::kSystemInfo);
  EXPECT_NE(report.find("\nUnit 2.6.0 build 5000 [ARX-300]\n"), std::string::npos) << report;
}

TEST(Description, BuiltInReportHasTheDescriptionOnLineTwo) {
  Unit unit(Parse("[[unit]]\naddress = \"10.1.2.3\"\nname = \"ap1\"\n").units[0]);
  std::string report = ComposeReport(unit, ReportKind::kSystemInfo);
  std::size_t first = report.find('\n');
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(report.substr(first + 1, report.find('\n', first + 1) - first - 1),
            "Unit 2.5.1 build 4711 [ARX-200]");
  EXPECT_EQ(report.find('\r'), std::string::npos);
  EXPECT_FALSE(ComposeReport(unit, ReportKind::kKernelLog).empty());
}

TEST(Description, BadFilesNameFileLineAndProblem) {
  const std::string unit = "[[unit]]\naddress = \"10.0.0.1\"\nname = \"a\"\n";
  EXPECT_EQ(ErrorOf("[defaults]\npassword = \"x\n").rfind("lab.toml:2: ", 0), 0u);
  EXPECT_EQ(ErrorOf("[defaults]\n\n[defaults]\n").rfind("lab.toml:3: ", 0), 0u);
  EXPECT_EQ(ErrorOf("[defaults]\nport = \"856\"\n" + unit),
            "lab.toml:2: port must be an integer from 1 to 65535");
  EXPECT_EQ(ErrorOf("[defaults]\nport = 70000\n" + unit),
            "lab.toml:2: port must be an integer from 1 to 65535");
  EXPECT_EQ(ErrorOf("[defaults]\n\npasword = \"x\"\n" + unit),
            "lab.toml:3: unknown key 'pasword' in [defaults]");
  EXPECT_EQ(ErrorOf(unit + "firmwre = \"2.6\"\n"), "lab.toml:4: unknown key 'firmwre' in [[unit]]");
  EXPECT_EQ(ErrorOf("units = 3\n" + unit), "lab.toml:1: unknown key 'units'");
  EXPECT_EQ(ErrorOf("[[unit]]\nname = \"a\"\n"), "lab.toml:1: [[unit]] has no address");
  EXPECT_EQ(ErrorOf("[[unit]]\naddress = \"10.0.0.1\"\n"), "lab.toml:1: [[unit]] has no name");
  EXPECT_EQ(ErrorOf("[[unit]]\naddress = \"10.0.0.256\"\nname = \"a\"\n"),
            "lab.toml:2: address '10.0.0.256' is not a dotted IPv4 address");
  EXPECT_EQ(ErrorOf("[[unit]]\naddress = 10\nname = \"a\"\n"),
            "lab.toml:2: address must be a non-empty string");
  EXPECT_EQ(ErrorOf("[unit]\naddress = \"10.0.0.1\"\nname = \"a\"\n"),
            "lab.toml:1: units are written as [[unit]] tables");
  EXPECT_EQ(ErrorOf("[defaults]\n"), "lab.toml: describes no unit ([[unit]] with address and name)");
  EXPECT_EQ(ErrorOf(unit + "description = \"{firmwre}\"\n"),
            "lab.toml:4: description uses the unknown placeholder {firmwre}");
  EXPECT_EQ(ErrorOf(unit + "description = \"{description}\"\n"),
            "lab.toml:4: description uses the unknown placeholder {description}");
  EXPECT_EQ(ErrorOf(unit + "reboot_seconds = -1\n"),
            "lab.toml:4: reboot_seconds must be an integer from 0 to 86400");
  EXPECT_EQ(ErrorOf(unit + "\n" + unit),
            "lab.toml:5: unit 'a' has the same address and port (10.0.0.1:856) as unit 'a' on "
            "line 1");
  EXPECT_EQ(ErrorOf(unit + "\n" + unit + "port = 857\n"), "");
}

TEST(Description, UnreadableFileIsNamed) {
  try {
    ReadDescription("/nonexistent/lab.toml");
    FAIL() << "no error";
  } catch (const DescriptionError& error) {
    EXPECT_STREQ(error.what(), "/nonexistent/lab.toml: cannot be read");
  }
}

TEST(Description, ShippedExampleIsValid) {
  LabDescription lab = ReadDescription(UNITSIM_EXAMPLES "/demo.toml");
  ASSERT_EQ(lab.units.size(), 1u);
  EXPECT_EQ(lab.units[0].address, "127.0.0.1");
  EXPECT_EQ(lab.units[0].name, "demo-ap");
  EXPECT_EQ(lab.units[0].settings.password, "BlueOx");
}

TEST(Description, DottedAddresses) {
  for (const char* good : {"0.0.0.0", "127.0.0.1", "10.42.23.255", "255.255.255.255"}) {
    EXPECT_TRUE(IsDottedAddress(good)) << good;
  }
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1.2.3.256", "01.2.3.4", "1.2.3.4 ",
                          "1..3.4", "a.b.c.d", "1.2.3.", "1234.1.1.1", "localhost"}) {
    EXPECT_FALSE(IsDottedAddress(bad)) << bad;
  }
}

TEST(Template, ReplacesKnownPlaceholdersOnly) {
  TemplateFields fields{{"name", "ap"}, {"build", "7"}};
  EXPECT_EQ(ExpandTemplate("{name}/{build}/{other}/{}/{Name}/{name", fields),
            "ap/7/{other}/{}/{Name}/{name");
  std::string_view known[] = {"name"};
  EXPECT_EQ(UnknownPlaceholder("{name} {x_y} {z}", known), "{x_y}");
  EXPECT_EQ(UnknownPlaceholder("{name} {} {A} {1}", known), std::nullopt);
}

TEST(Template, Uptime) {
  EXPECT_EQ(FormatUptime(0), "0 days, 00:00:00");
  EXPECT_EQ(FormatUptime(3 * 86400 + 4 * 3600 + 5 * 60 + 6), "3 days, 04:05:06");
}

TEST(Options, CommandLine) {
  Options options;
  std::string error;
  ASSERT_TRUE(ParseOptions({"--port", "0", "--bind", "127.0.0.1", "--state", "s", "--ready-file",
                            "r", "--log", "l", "lab.toml"},
                           options, error));
  EXPECT_EQ(options.port, 0);
  EXPECT_EQ(options.bind, "127.0.0.1");
  EXPECT_EQ(options.state, "s");
  EXPECT_EQ(options.readyFile, "r");
  EXPECT_EQ(options.logFile, "l");
  EXPECT_EQ(options.description, "lab.toml");

  auto fails = [](std::vector<std::string> args) {
    Options o;
    std::string e;
    return ParseOptions(args, o, e) ? std::string() : e;
  };
  EXPECT_EQ(fails({"--port", "65536", "x"}), "--port needs a number from 0 to 65535, not '65536'");
  EXPECT_EQ(fails({"--port", "-1", "x"}), "--port needs a number from 0 to 65535, not '-1'");
  EXPECT_EQ(fails({"--bind", "example.org", "x"}),
            "--bind needs a dotted IPv4 address, not 'example.org'");
  EXPECT_EQ(fails({"x", "--log"}), "--log needs a value");
  EXPECT_EQ(fails({"--verbose", "x"}), "unknown option --verbose");
  EXPECT_EQ(fails({}), "no description file given");
  EXPECT_EQ(fails({"a", "b"}), "only one description file may be given");
}

TEST(Options, BindOverrideCanMakeUnitsClash) {
  LabDescription lab = Parse(
      "[[unit]]\naddress = \"10.0.0.1\"\nname = \"a\"\n"
      "[[unit]]\naddress = \"10.0.0.2\"\nname = \"b\"\n");
  ServerOptions options;
  EXPECT_EQ(FindClash(lab, options), std::nullopt);
  options.bind = "127.0.0.1";
  EXPECT_EQ(FindClash(lab, options),
            "units 'a' and 'b' would both listen on 127.0.0.1:856 (use --port 0 or distinct "
            "ports)");
  options.port = 0;
  EXPECT_EQ(FindClash(lab, options), std::nullopt);
}

}  // namespace
}  // namespace unitsim
