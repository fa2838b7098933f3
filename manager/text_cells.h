// The small text helpers that the screens share: numbers as the console
// prints them, texts fitted into a cell, centred, or cut to their end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace halvex {

// A number as the console prints numbers: a leading space (or minus sign).
std::string NumberText(long long value);

// A text right-aligned in `width` columns; a longer text stays whole.
std::string RightAligned(std::string_view text, std::size_t width);

// A text right-aligned in `width` columns; a longer text keeps its first
// `width` characters.
std::string FitRight(std::string_view text, std::size_t width);

// A text centred in `width` columns: half the spare columns, rounded down,
// on the left and the rest on the right.
std::string Centred(std::string_view text, std::size_t width);

// The last `n` characters of a text, without trailing spaces.
std::string LastCharacters(std::string_view text, std::size_t n);

// The text with every space taken out.
std::string WithoutSpaces(std::string_view text);

}  // namespace halvex
