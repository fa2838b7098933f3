#include "request_log.h"

#include <chrono>
#include <ctime>

namespace unitsim {

void RequestLog::Write(const std::string& line) {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t seconds = system_clock::to_time_t(now);
  auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[40];
  std::size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::snprintf(stamp + n, sizeof stamp - n, ".%03d", static_cast<int>(millis));
  std::lock_guard lock(mutex_);
  std::fprintf(out_, "%s %s\n", stamp, line.c_str());
  std::fflush(out_);
}

}  // namespace unitsim
