#include "argument_quoting.h"

#include <gtest/gtest.h>

namespace halvex {
namespace {

// The C runtime's splitting of a command line into arguments, to read back
// what the quoting made.
std::vector<std::string> SplitWindowsCommandLine(std::string_view line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  const std::size_t n = line.size();
  for (;;) {
    while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n) {
      char c = line[i];
      if (!quoted && (c == ' ' || c == '\t')) break;
      if (c == '\\') {
        std::size_t count = 0;
        while (i < n && line[i] == '\\') {
          ++count;
          ++i;
        }
        if (i < n && line[i] == '"') {
          arg.append(count / 2, '\\');
          if (count % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(count, '\\');
        }
        continue;
      }
      if (c == '"') {
        // Inside quotes, "" is a literal quote (the runtime's own rule).
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg += c;
      ++i;
    }
    args.push_back(arg);
  }
  return args;
}


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
