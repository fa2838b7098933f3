#include "answer_file.h"

#include <algorithm>
#include <fstream>

namespace halvex {

std::string SnmpValueText(std::string_view line) {
  if (line.size() < 2 || line.front() != '"' || line.back() != '"') return std::string(line);
  std::string_view inner = line.substr(1, line.size() - 2);
  std::string text;
  text.reserve(inner.size());
  for (std::size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == '\\' && i + 1 < inner.size() && (inner[i + 1] == '"' || inner[i + 1] == '\\')) {
      ++i;
    }
    text += inner[i];
  }
  return text;
}

AnswerFile AnswerFile::FromText(std::string_view text, Values values) {
  AnswerFile answer;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    answer.lines_.push_back(values == Values::kSnmpValues ? SnmpValueText(line)
                                                          : std::string(line));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return answer;
}

AnswerFile AnswerFile::Read(const std::filesystem::path& file, Values values) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::string text;
  char buffer[65536];
  while (text.size() < kAnswerReadLimit && in) {
    std::size_t want = std::min(sizeof buffer, kAnswerReadLimit - text.size());
    in.read(buffer, static_cast<std::streamsize>(want));
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  return FromText(text, values);
}

const std::string& AnswerFile::Line(std::size_t number) const {
  static const std::string kEmpty;
  return number >= 1 && number <= lines_.size() ? lines_[number - 1] : kEmpty;
}

}  // namespace halvex
