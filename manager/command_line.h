// halvex's command line:
//
//   halvex [-j N] [address]
//   halvex --inventory [-j N] [--full] [--format csv|json] ADDRESS
//   halvex --help | -h | --version
//
// Every word that starts with "-" is an option, wherever it stands (no
// address starts with one); the other words, joined by single spaces, are
// the target, taken as the interactive start has always taken it.
#pragma once

#include <string>
#include <vector>

namespace halvex {

struct CommandLine {
  enum class Action { kManage, kInventory, kHelp, kVersion };
  enum class Format { kCsv, kJson };

  Action action = Action::kManage;
  int jobs = 0;  // 0: not given
  bool full = false;
  Format format = Format::kCsv;
  std::string target;
  // Set for a command line that cannot be run: one line that names the
  // problem, without the program's name.
  std::string problem;
};

CommandLine ParseCommandLine(const std::vector<std::string>& words);

// The synopsis, one line per form.
std::string Synopsis();
// The synopsis and one line per option.
std::string HelpText();
std::string VersionText();

// True for four decimal numbers 0 to 255 joined by dots, nothing else.
bool IsDottedQuad(const std::string& text);

}  // namespace halvex
