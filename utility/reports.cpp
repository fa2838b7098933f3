#include "reports.h"

#include <cstdio>
#include <cstring>


namespace velkor {

bool PrintReport(Connection& connection, const RunOutput& output) {
  std::uint32_t remaining = connection.announced();
  std::uint8_t payload[kBlockPayloadSize];
  while (remaining != 0) {
    std::size_t length = 0;
    if (!connection.ReceiveBlock(payload, length) || length > remaining) {
      if (!output.silent) std::printf("\n\n");
      std::printf("Connection to server was broken, unable to get report.\n\n");
      return false;
    }
    // A zero byte ends the printed part of the block.
    std::fwrite(payload, 1, strnlen(reinterpret_cast<const char*>(payload), length), stdout);
    remaining -= static_cast<std::uint32_t>(length);
  }
  return true;
}

}  // namespace velkor
