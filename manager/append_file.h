// Appending a line to a file so that it survives whatever comes next: one
// write of the whole line at the end of the file, then the file flushed to
// the disk before the call returns.  append_file-posix.cpp and
// append_file-win32.cpp implement it.
#pragma once

#include <filesystem>
#include <string_view>

namespace halvex {

// Creates the file when it is missing (never its folder).  False when the
// line could not be written whole and flushed.
bool AppendDurably(const std::filesystem::path& file, std::string_view line);

}  // namespace halvex
