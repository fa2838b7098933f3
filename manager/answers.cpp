#include "answers.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace halvex {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string FirstField(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  if (i < line.size() && line[i] == '"') {
    std::size_t close = line.find('"', i + 1);
    if (close == std::string_view::npos) return std::string(line.substr(i + 1));
    return std::string(line.substr(i + 1, close - i - 1));
  }
  std::size_t comma = line.find(',', i);
  std::string_view field = line.substr(i, comma == std::string_view::npos ? line.npos : comma - i);
  while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
  return std::string(field);
}

double LeadingNumber(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  std::string number;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) number += field[i++];
  std::size_t digits = 0;
  while (i < field.size() && IsDigit(field[i])) {
    number += field[i++];
    ++digits;
  }
  if (i < field.size() && field[i] == '.') {
    number += field[i++];
    while (i < field.size() && IsDigit(field[i])) {
      number += field[i++];
      ++digits;
    }
  }
  if (digits == 0) return 0;
  // An exponent counts only when digits follow it: "2e" is 2.
  if (i < field.size() && (field[i] == 'e' || field[i] == 'E')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < field.size() && (field[j] == '+' || field[j] == '-')) exponent += field[j++];
    std::size_t exponentDigits = 0;
    while (j < field.size() && IsDigit(field[j])) {
      exponent += field[j++];
      ++exponentDigits;
    }
    if (exponentDigits > 0) number += exponent;
  }
  double value = std::strtod(number.c_str(), nullptr);
  return std::isfinite(value) ? value : 0;
}

int RoundedAnswer(std::string_view line) {
  // To the nearest integer, halves to the even neighbour: 2.5 gives 2.
  double value = std::nearbyint(LeadingNumber(FirstField(line)));
  if (value < -32768 || value > 32767) return 0;
  return static_cast<int>(value);
}

int ModeAnswer(std::string_view line) {
  int answer = RoundedAnswer(line);
  return answer == 1 || answer == 2 ? answer : 0;
}

std::string BlockPrefix(std::string_view target) {
  std::size_t dot = target.rfind('.');
  if (dot == std::string_view::npos) return ".";
  return std::string(target.substr(0, dot + 1));
}

std::string TrimSpaces(std::string_view text) {
  std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  std::size_t end = text.find_last_not_of(' ');
  return std::string(text.substr(begin, end - begin + 1));
}

}  // namespace halvex
