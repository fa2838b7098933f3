// unitsim's description parser: any text is a description or a
// DescriptionError, never a crash.
#include <cstdint>
#include <string_view>

#include "description.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    unitsim::ParseDescription(text, "fuzz.toml", "/nonexistent-fuzz-folder");
  } catch (const unitsim::DescriptionError&) {
  }
  return 0;
}
