// Unpredictable bytes from the operating system, for login challenges.
#pragma once

#include <cstdint>
#include <span>

namespace unitsim {

void FillRandom(std::span<std::uint8_t> bytes);

}  // namespace unitsim
