#include "command_line.h"

#include "device_query.h"

#ifndef UNIT_TOOLS_VERSION
#define UNIT_TOOLS_VERSION "unknown"
#endif

namespace halvex {

namespace {

// A count from 1 to kMostJobs written in decimal digits, or 0.
int JobsValue(const std::string& text) {
  if (text.empty() || text.size() > 3) return 0;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= kMostJobs ? value : 0;
}

}  // namespace

bool IsDottedQuad(const std::string& text) {
  int parts = 0;
  std::size_t i = 0;
  while (i <= text.size()) {
    std::size_t end = text.find('.', i);
    if (end == std::string::npos) end = text.size();
    std::string part = text.substr(i, end - i);
    if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(part) > 255) {
      return false;
    }
    ++parts;
    i = end + 1;
  }
  return parts == 4;
}

CommandLine ParseCommandLine(const std::vector<std::string>& words) {
  CommandLine line;
  bool help = false;
  bool version = false;
  bool inventory = false;
  bool formatGiven = false;
  auto fail = [&line](std::string problem) {
    if (line.problem.empty()) line.problem = std::move(problem);
  };
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word.empty() || word[0] != '-') {
      if (!line.target.empty()) line.target += ' ';
      line.target += word;
    } else if (word == "-h" || word == "--help") {
      help = true;
    } else if (word == "--version") {
      version = true;
    } else if (word == "-j") {
      if (i + 1 >= words.size()) {
        fail("-j needs a number of units from 1 to " + std::to_string(kMostJobs));
      } else if ((line.jobs = JobsValue(words[++i])) == 0) {
        fail("-j needs a number of units from 1 to " + std::to_string(kMostJobs) + ", not \"" +
             words[i] + "\"");
      }
    } else if (word == "--inventory") {
      inventory = true;
    } else if (word == "--full") {
      line.full = true;
    } else if (word == "--format") {
      formatGiven = true;
      if (i + 1 >= words.size()) {
        fail("--format needs csv or json");
      } else if (words[++i] == "csv" || words[i] == "json") {
        line.format = words[i] == "csv" ? CommandLine::Format::kCsv : CommandLine::Format::kJson;
      } else {
        fail("--format needs csv or json, not \"" + words[i] + "\"");
      }
    } else {
      fail("unknown option " + word);
    }
  }
  if (!line.problem.empty()) return line;
  if (help) {
    line.action = CommandLine::Action::kHelp;
  } else if (version) {
    line.action = CommandLine::Action::kVersion;
  } else if (inventory) {
    line.action = CommandLine::Action::kInventory;
    if (line.target.empty()) {
      fail("--inventory needs the address of a unit of the block");
    } else if (!IsDottedQuad(line.target)) {
      fail("\"" + line.target + "\" is not an IPv4 address");
    }
  } else if (line.full || formatGiven) {
    fail(std::string(line.full ? "--full" : "--format") + " goes with --inventory");
  }
  return line;
}

std::string Synopsis() {
  return "usage: halvex [-j N] [address]\n"
         "       halvex --inventory [-j N] [--full] [--format csv|json] ADDRESS\n"
         "       halvex --help | --version\n";
}

std::string HelpText() {
  return Synopsis() +
         "\n"
         "Sweeps the /24 block of the address with ping, asks every unit that answers what it\n"
         "is, and shows the units in a table from which they are upgraded or rebooted.\n"
         "\n"
         "  -j N                 ask up to N units at the same time (1 to 254, default " +
         std::to_string(kDefaultJobs) +
         ")\n"
         "  --inventory          no screen: print the block's live units as records\n"
         "  --full               with --inventory: the wireless figures too (Full mode)\n"
         "  --format csv|json    with --inventory: CSV (the default) or a JSON array\n"
         "  -h, --help           show this text\n"
         "  --version            show the version\n";
}

std::string VersionText() { return std::string("halvex 0.99h (unit tools ") + UNIT_TOOLS_VERSION + ")\n"; }

}  // namespace halvex
