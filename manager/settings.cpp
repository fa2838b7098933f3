#include "settings.h"

#include <fstream>
#include <iterator>

namespace halvex {

namespace {

// Reads one value starting at `pos`; leaves `pos` after its separator.
std::string ReadValue(std::string_view text, std::size_t& pos) {
  std::string value;
  const std::size_t n = text.size();
  auto endsLine = [&](std::size_t i) {
    return text[i] == '\r' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'));
  };
  if (pos < n && text[pos] == '"') {
    ++pos;
    while (pos < n && text[pos] != '"' && text[pos] != '\r') {
      if (text[pos] != '\t' && text[pos] != '\n') value += text[pos];
      ++pos;
    }
    if (pos < n && text[pos] == '"') ++pos;
    // Whatever stands between the closing quote and the separator is dropped.
    while (pos < n && text[pos] != ',' && !endsLine(pos)) ++pos;
    if (pos < n) ++pos;
    return value;
  }
  while (pos < n && text[pos] != ',' && !endsLine(pos)) {
    if (text[pos] != '\t' && text[pos] != '\n') value += text[pos];
    ++pos;
  }
  if (pos < n) ++pos;
  while (!value.empty() && value.back() == ' ') value.pop_back();
  return value;
}

}  // namespace

std::vector<std::string> SettingsValues(std::string_view text, std::size_t limit) {
  std::vector<std::string> values;
  std::size_t pos = 0;
  while (values.size() < limit) {
    // Spaces, tabs and the line feed of a CR LF pair before a value.
    while (pos < text.size() &&
           (text[pos] == ' ' || text[pos] == '\t' ||
            (text[pos] == '\n' && pos > 0 && text[pos - 1] == '\r'))) {
      ++pos;
    }
    if (pos >= text.size()) break;
    values.push_back(ReadValue(text, pos));
  }
  return values;
}

Settings ParseSettings(std::string_view text) {
  Settings settings;
  // A file of nothing but blank lines is as good as an empty one.
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return settings;
  std::vector<std::string> values = SettingsValues(text, 2);
  if (values.size() > 0) settings.community = values[0];
  if (values.size() > 1) settings.password = values[1];
  return settings;
}

Settings ReadSettings(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return Settings{};
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ParseSettings(text);
}

}  // namespace halvex
