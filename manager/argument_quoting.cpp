#include "argument_quoting.h"

namespace halvex {

std::string QuoteArgument(std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos)
    return std::string(argument);
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');  // the backslashes, then an escaped quote
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');  // they stand before the closing quote
  out += '"';
  return out;
}

std::string WindowsCommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    if (i > 0) line += ' ';
    line += QuoteArgument(argv[i]);
  }
  return line;
}

}  // namespace halvex
