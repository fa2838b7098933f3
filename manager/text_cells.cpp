#include "text_cells.h"

namespace halvex {

std::string NumberText(long long value) {
  std::string text = value < 0 ? "" : " ";
  return text += std::to_string(value);
}

std::string RightAligned(std::string_view text, std::size_t width) {
  if (text.size() >= width) return std::string(text);
  return std::string(width - text.size(), ' ') + std::string(text);
}

std::string FitRight(std::string_view text, std::size_t width) {
  return RightAligned(text.substr(0, width), width);
}

std::string Centred(std::string_view text, std::size_t width) {
  if (text.size() >= width) return std::string(text);
  std::size_t spare = width - text.size();
  return std::string(spare / 2, ' ') + std::string(text) + std::string(spare - spare / 2, ' ');
}

std::string LastCharacters(std::string_view text, std::size_t n) {
  std::string_view tail = text.size() > n ? text.substr(text.size() - n) : text;
  while (!tail.empty() && tail.back() == ' ') tail.remove_suffix(1);
  return std::string(tail);
}

std::string WithoutSpaces(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != ' ') out += c;
  }
  return out;
}

}  // namespace halvex
