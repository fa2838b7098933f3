// Test support: a command the query runs, as the text of its command line
// (the words joined by single spaces, then " > " and the answer file with
// the platform's separator), to compare with the command lines operators
// read.
#pragma once

#include <string>

#include "child_command.h"

namespace halvex {

inline std::string CommandLineText(const ChildCommand& command) {
  std::string text;
  for (std::size_t i = 0; i < command.words.size(); ++i) {
    if (i > 0) text += ' ';
    text += command.words[i];
  }
  if (!command.answer.empty()) {
    std::filesystem::path answer = command.answer;
    text += " > " + answer.make_preferred().string();
  }
  return text;
}

}  // namespace halvex
