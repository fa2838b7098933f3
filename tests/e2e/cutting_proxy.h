// A TCP proxy between velkor and a server that cuts the connection after
// exactly N bytes in one direction: it forwards N bytes that way, then
// closes both sides.  One proxy serves connection after connection, each
// with the cut set before it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>
#include <thread>

namespace e2e {

enum class Direction { kToClient, kToServer };

struct ByteCounts {
  std::uint64_t toClient = 0;
  std::uint64_t toServer = 0;
};

class CuttingProxy {
 public:
  explicit CuttingProxy(std::uint16_t serverPort);
  ~CuttingProxy();
  CuttingProxy(const CuttingProxy&) = delete;
  CuttingProxy& operator=(const CuttingProxy&) = delete;

  std::uint16_t port() const { return port_; }
  // For the next connection: cut after `limit` bytes in `direction`; no
  // cut with the largest limit.
  void SetCut(Direction direction, std::uint64_t limit);
  void NoCut() { SetCut(Direction::kToClient, std::numeric_limits<std::uint64_t>::max()); }
  // What the last connection carried each way, once it has ended (waits
  // for its end, at most a few seconds).
  ByteCounts LastCounts();

 private:
  void Run();
  void Relay(int client, int server);

  std::uint16_t serverPort_;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  std::uint16_t port_ = 0;
  std::mutex mutex_;
  std::condition_variable ended_;
  int accepted_ = 0;
  int finished_ = 0;
  Direction direction_ = Direction::kToClient;
  std::uint64_t limit_ = std::numeric_limits<std::uint64_t>::max();
  ByteCounts last_;
  std::thread thread_;
};

}  // namespace e2e
