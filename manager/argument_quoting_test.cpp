#include "argument_quoting.h"

#include <gtest/gtest.h>

namespace halvex {
namespace {

TEST(ArgumentQuoting, PlainWordsStayAsTheyAre) {
  EXPECT_EQ(QuoteArgument("snmpwalk"), "snmpwalk");
  EXPECT_EQ(QuoteArgument("C:\\Program Files\\x"), "\"C:\\Program Files\\x\"");
  EXPECT_EQ(QuoteArgument("a\\b\\"), "a\\b\\");  // no quote follows: backslashes are themselves
  EXPECT_EQ(QuoteArgument("%PATH%&|^<>"), "%PATH%&|^<>");  // no shell reads it
}

TEST(ArgumentQuoting, TheTrickyCases) {
  EXPECT_EQ(QuoteArgument(""), "\"\"");
  EXPECT_EQ(QuoteArgument("a b"), "\"a b\"");
  EXPECT_EQ(QuoteArgument("tab\there"), "\"tab\there\"");
  EXPECT_EQ(QuoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(QuoteArgument("end\\ "), "\"end\\ \"");
  EXPECT_EQ(QuoteArgument("trailing \\"), "\"trailing \\\\\"");    // doubled before the close
  EXPECT_EQ(QuoteArgument("\\\"x"), "\"\\\\\\\"x\"");              // \" becomes \\\"
  EXPECT_EQ(QuoteArgument("two\\\\\" q"), "\"two\\\\\\\\\\\" q\"");  // \\" becomes \\\\\"
}

// Whatever the list, the runtime's splitting gives it back.
TEST(ArgumentQuoting, TheChildSeesExactlyTheList) {
  const std::vector<std::vector<std::string>> lists = {
      {"velkor.exe", "10.42.23.5", "Blue Ox", "-sysinfo"},
      {"snmpwalk.exe", "-c", "pub\"lic", "-v", "2c", "10.42.23.5", "sysDescr"},
      {"x", "", "", "a\\", "\\\\server\\share\\", "\"", "\\\"", "\\\\\"", "a\\\\b"},
      {"x", "  spaces  ", "\t", "\\ \\", "%PATH%", "a&b|c^d", "\"quoted\" and \\\"not\\\""},
      {"C:\\Program Files\\unit tools\\velkor.exe", "end\\\\", "mid\\\"dle"},
  };
  for (const auto& list : lists) {
    EXPECT_EQ(SplitWindowsCommandLine(WindowsCommandLine(list)), list) << WindowsCommandLine(list);
  }
}

TEST(ArgumentQuoting, SplittingFollowsTheRuntime) {
  EXPECT_EQ(SplitWindowsCommandLine("a  b\t\tc"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(SplitWindowsCommandLine("\"a b\"c d"), (std::vector<std::string>{"a bc", "d"}));
  EXPECT_EQ(SplitWindowsCommandLine("a\\\\\\\"b"), (std::vector<std::string>{"a\\\"b"}));
  EXPECT_EQ(SplitWindowsCommandLine("a\\\\\"b c\""), (std::vector<std::string>{"a\\b c"}));
  EXPECT_EQ(SplitWindowsCommandLine("\"\""), (std::vector<std::string>{""}));
  EXPECT_EQ(SplitWindowsCommandLine("   "), (std::vector<std::string>{}));
}

}  // namespace
}  // namespace halvex
