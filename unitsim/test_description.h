// Test support: lab descriptions parsed from text, as if read from
// /labs/lab.toml.
#pragma once

#include <string>
#include <string_view>

#include "description.h"

namespace unitsim::test {

LabDescription Parse(std::string_view text);
// The message of the DescriptionError that parsing text raises, or "" when
// it parses.
std::string ErrorOf(std::string_view text);

}  // namespace unitsim::test
