// The command lines the manager runs, as argument lists.  Each is the words
// of the command line an operator would read ("snmpwalk -v 2c ... > tmp/
// 10.42.23.5.temp.txt"): the program, then each piece as its own argument;
// the redirection is the manager's own, into the answer file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace halvex {

struct ChildCommand {
  std::vector<std::string> words;  // words[0] is the program's name as shown
  std::filesystem::path answer;    // the output file, relative to the working folder; may be empty
};

// Where a program is looked for, in order, and the file found: the first
// runnable file of that name (with the platform's suffix) in the folders.
// Nothing found gives the bare name, which then fails to start.
std::filesystem::path FindProgram(std::string_view name,
                                  const std::vector<std::filesystem::path>& folders);

// velkor: the working folder first, then the folder of the running
// program, then the search path.
std::vector<std::filesystem::path> VelkorFolders(const std::filesystem::path& workDir);

}  // namespace halvex
