// The answer files of the device query: what a child program printed,
// read back line by line.  Lines end in LF or CR LF; a line past the end
// of the file, or of a file that could not be read, is empty text.
//
// snmpwalk prints a string value in double quotes with \" and \\ escaped
// ("Unit 2.5.1 build 4711 [ARX-200]"); integers and other values bare.  The
// query's rules want the bare text, so answers of snmpwalk are read with
// kSnmpValues, which takes a line that is one quoted string apart again.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace halvex {

// At most this much of an answer file is read; the rest is ignored.
inline constexpr std::size_t kAnswerReadLimit = 4 << 20;

class AnswerFile {
 public:
  enum class Values { kAsPrinted, kSnmpValues };

  static AnswerFile Read(const std::filesystem::path& file, Values values);
  static AnswerFile FromText(std::string_view text, Values values);

  // Line `number` (1-based), or empty text past the end.
  const std::string& Line(std::size_t number) const;
  std::size_t LineCount() const { return lines_.size(); }

 private:
  std::vector<std::string> lines_;
};

// A value line as snmpwalk prints it, with a quoted string's quotes and
// escapes taken off; any other line unchanged.
std::string SnmpValueText(std::string_view line);

}  // namespace halvex
