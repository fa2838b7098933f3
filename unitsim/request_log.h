// The request log: one line per connection, each starting with the local
// time, written whole so that lines of parallel connections never mix.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

namespace unitsim {

class RequestLog {
 public:
  // The log writes to out (standard error or an opened file) and does not
  // close it.
  explicit RequestLog(std::FILE* out) : out_(out) {}

  void Write(const std::string& line);

 private:
  std::mutex mutex_;
  std::FILE* out_;
};

}  // namespace unitsim
