// How typed answers and settings values are taken apart.  A prompt reads a
// whole line; what counts is its first comma-separated field, and numeric
// answers take the leading number of that field.
#pragma once

#include <string>
#include <string_view>

namespace halvex {

// The first field of a typed line: leading spaces are skipped; a field that
// starts with a double quote runs to the closing quote and may hold commas;
// otherwise it runs to the first comma, without its trailing spaces.
std::string FirstField(std::string_view line);

// The number a field starts with (sign, digits, a decimal point, an
// exponent), or 0 when it does not start with one.  "2abc" is 2.
double LeadingNumber(std::string_view field);

// The leading number rounded to the nearest whole number (halves to the even
// neighbour, 2.5 gives 2); values outside the 16-bit range give 0, which no
// question accepts.
int RoundedAnswer(std::string_view line);

// The mode question: 1 or 2, or 0 when the line must be asked again.
int ModeAnswer(std::string_view line);

// The block prefix of a target: everything up to and including its last
// dot; a target without a dot gives "." alone.
std::string BlockPrefix(std::string_view target);

// The command line target: the text with leading and trailing spaces removed.
std::string TrimSpaces(std::string_view text);

}  // namespace halvex
