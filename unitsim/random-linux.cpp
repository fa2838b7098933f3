#include "random.h"

#include <cerrno>
#include <stdexcept>
#include <sys/random.h>

namespace unitsim {

void FillRandom(std::span<std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = getrandom(bytes.data() + done, bytes.size() - done, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("getrandom failed");
    }
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace unitsim
