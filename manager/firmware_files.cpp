#include "firmware_files.h"

#include <algorithm>
#include <cctype>

namespace halvex {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

bool MatchesFirmware(std::string_view name, std::string_view hardware) {
  std::string n = Lower(name);
  const std::string ending = ".pkg";
  if (n.size() < ending.size() || n.compare(n.size() - ending.size(), ending.size(), ending) != 0) {
    return false;
  }
  n.resize(n.size() - ending.size());
  return n.find(Lower(hardware)) != std::string::npos;
}

std::vector<std::string> FirmwareFiles(const std::filesystem::path& folder,
                                       std::string_view hardware) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  if (error) return names;
  for (const std::filesystem::directory_entry& entry : it) {
    std::error_code kind;
    if (!entry.is_regular_file(kind)) continue;
    std::string name = entry.path().filename().string();
    if (MatchesFirmware(name, hardware)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  if (names.size() > kFirmwareChoices) names.resize(kFirmwareChoices);
  return names;
}

}  // namespace halvex
