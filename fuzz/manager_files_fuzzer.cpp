// The manager's readers of files written by others: the settings file and
// the answer files of the device query (as printed, and as snmpwalk
// prints values).  The first byte chooses the reader.
#include <cstdint>
#include <string_view>

#include "answer_file.h"
#include "answers.h"
#include "settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      halvex::ParseSettings(text);
      break;
    case 1: {
      auto answer = halvex::AnswerFile::FromText(text, halvex::AnswerFile::Values::kAsPrinted);
      for (std::size_t n = 1; n <= answer.LineCount() + 1; ++n) halvex::RoundedAnswer(answer.Line(n));
      break;
    }
    default: {
      auto answer = halvex::AnswerFile::FromText(text, halvex::AnswerFile::Values::kSnmpValues);
      for (std::size_t n = 1; n <= answer.LineCount() + 1; ++n) halvex::SnmpValueText(answer.Line(n));
      break;
    }
  }
  return 0;
}
