#include "key_site.h"

#include "template.h"

namespace unitsim {

DescriptionError::DescriptionError(const std::string& file, int line, const std::string& problem)
    : std::runtime_error(line > 0 ? file + ":" + std::to_string(line) + ": " + problem
                                  : file + ": " + problem) {}

void KeySite::Fail(const std::string& problem) const { throw DescriptionError(file, line, problem); }

std::string KeySite::String() const {
  const auto* value = node.as_string();
  if (value == nullptr) Fail(std::string(key) + " must be a string");
  return value->get();
}

bool KeySite::Boolean() const {
  const auto* value = node.as_boolean();
  if (value == nullptr) Fail(std::string(key) + " must be true or false");
  return value->get();
}

std::int64_t KeySite::Integer(std::int64_t low, std::int64_t high) const {
  const auto* value = node.as_integer();
  if (value == nullptr || value->get() < low || value->get() > high) {
    Fail(std::string(key) + " must be an integer from " + std::to_string(low) + " to " +
         std::to_string(high));
  }
  return value->get();
}

std::uint16_t KeySite::Port() const { return static_cast<std::uint16_t>(Integer(1, 65535)); }

std::filesystem::path KeySite::Path() const {
  std::string text = String();
  if (text.empty()) Fail(std::string(key) + " must not be empty");
  std::filesystem::path path(text);
  return path.is_absolute() ? path : base / path;
}

std::string KeySite::Template(std::span<const std::string_view> known) const {
  std::string text = String();
  if (auto unknown = UnknownPlaceholder(text, known)) {
    Fail(std::string(key) + " uses the unknown placeholder " + *unknown);
  }
  return text;
}

bool IsDottedAddress(std::string_view text) {
  int parts = 0;
  std::size_t i = 0;
  while (true) {
    std::size_t start = i;
    unsigned value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 3) {
      value = value * 10 + static_cast<unsigned>(text[i] - '0');
      ++i;
    }
    if (i == start || value > 255) return false;
    if (i - start > 1 && text[start] == '0') return false;  // no octal look-alikes
    ++parts;
    if (i == text.size()) return parts == 4;
    if (text[i] != '.' || parts == 4) return false;
    ++i;
  }
}

}  // namespace unitsim
