// One key of a description's table as the groups of keys read it
// (description_keys.h): where it stands, for messages, and checked readers
// of its value.  A wrong value throws DescriptionError, which names the
// file, the line and the key.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <toml++/toml.h>

#include "unit_settings.h"

namespace unitsim {

// "FILE:LINE: problem"; line is 0 when the problem has no line.
class DescriptionError : public std::runtime_error {
 public:
  DescriptionError(const std::string& file, int line, const std::string& problem);
};

// One key of a table, with what messages need.
struct KeySite {
  const std::string& file;               // for messages
  const std::filesystem::path& base;     // relative paths start here
  std::string_view table;                // "[defaults]" or "[[unit]]"
  std::string_view key;
  const toml::node& node;
  int line;

  [[noreturn]] void Fail(const std::string& problem) const;
  // Checked readers; each fails with "KEY must be ..." on a wrong value.
  std::string String() const;
  bool Boolean() const;
  std::int64_t Integer(std::int64_t low, std::int64_t high) const;
  std::uint16_t Port() const;
  // A string taken as a path relative to the description's folder.
  std::filesystem::path Path() const;
  // A string whose placeholders must all be among known.
  std::string Template(std::span<const std::string_view> known) const;
};

// True for four decimal numbers 0-255 separated by dots, nothing else (the
// addresses of units and stations).
bool IsDottedAddress(std::string_view text);

// A group of keys of one feature: takes the key (true) or leaves it to
// another group (false).
using KeyGroup = bool (*)(const KeySite& site, UnitSettings& settings);

}  // namespace unitsim
