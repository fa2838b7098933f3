#include "icmp.h"

#include <cstring>

namespace halvex {

std::string resolveDottedQuad(const std::string& name) {
  std::optional<std::uint32_t> address = LookUpName(name);
  if (!address) return {};
  // The four bytes in network order, as they lie in memory.
  unsigned char bytes[4];
  std::memcpy(bytes, &*address, sizeof bytes);
  return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
         std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
}

}  // namespace halvex
