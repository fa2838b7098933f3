// The firmware images offered for an upload: the plain files of the folder
// "firmware" whose names match "*" + hardware + "*.pkg", without regard to
// letter case (as the file search of the manager's first platform has
// it), in name order, at most 100.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace halvex {

inline constexpr const char* kFirmwareFolder = "firmware";
inline constexpr std::size_t kFirmwareChoices = 100;

// True when `name` ends in ".pkg" and holds `hardware` before that ending,
// letters compared without regard to case.
bool MatchesFirmware(std::string_view name, std::string_view hardware);

// The names of the matching files in `folder`; a missing folder has none.
std::vector<std::string> FirmwareFiles(const std::filesystem::path& folder,
                                       std::string_view hardware);

}  // namespace halvex
