// printf-style formatting into a std::string, for building console lines.
#pragma once

#include <string>

namespace velkor {

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace velkor
