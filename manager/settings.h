// The settings file "halvex.ini": the SNMP community, then the unit
// password.  The file is only ever read.
//
// Values are separated by commas and line ends.  Leading spaces of a value
// are skipped and an unquoted value loses its trailing spaces; a value in
// double quotes keeps everything up to the closing quote, commas included.
// Tabs and line feeds never become part of a value.  A carriage return ends
// a value, and so does a line feed that follows no carriage return (a file
// written with bare line feeds still holds one value per line).  A value the
// file does not reach keeps its default, and a file of nothing but blank
// lines gives the defaults.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace halvex {

inline constexpr const char* kSettingsFile = "halvex.ini";

struct Settings {
  std::string community = "oriole";
  std::string password;
};

// The values of a settings text in order, at most `limit` of them.
std::vector<std::string> SettingsValues(std::string_view text, std::size_t limit);

// The settings a text gives, starting from the defaults.
Settings ParseSettings(std::string_view text);

// Reads the file; a missing or unreadable file gives the defaults.
Settings ReadSettings(const std::filesystem::path& file);

}  // namespace halvex
