#include "ready_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace unitsim {

bool WriteReadyFile(const std::string& path, const std::vector<Endpoint>& endpoints,
                    std::string& error) {
  std::string temporary = path + ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "w");
  if (out == nullptr) {
    error = "cannot write " + temporary + ": " + std::strerror(errno);
    return false;
  }
  for (const Endpoint& at : endpoints) {
    std::fprintf(out, "%s %u %s\n", at.address.c_str(), static_cast<unsigned>(at.port),
                 at.name.c_str());
  }
  bool written = std::fflush(out) == 0 && !std::ferror(out);
  if (std::fclose(out) != 0) written = false;
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace unitsim
