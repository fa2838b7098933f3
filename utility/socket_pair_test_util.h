// Test helper: a connected socket pair whose far end is driven by a
// scripted peer on its own thread.  POSIX only, like the tests using it.
#pragma once

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <thread>
#include <vector>

namespace velkor::test_peer {

class ScriptedPeer {
 public:
  // script runs on its own thread with the peer's end of the pair; the
  // peer's end is closed when the script returns.
  explicit ScriptedPeer(std::function<void(int)> script) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return;
    client_ = fds[0];
    peer_ = fds[1];
    thread_ = std::thread([this, script = std::move(script)] {
      script(peer_);
      ::close(peer_);
    });
  }
  ~ScriptedPeer() {
    if (thread_.joinable()) thread_.join();
    if (client_ >= 0) ::close(client_);
  }
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  int client() const { return client_; }
  // Waits for the script to finish.
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  int client_ = -1;
  int peer_ = -1;
  std::thread thread_;
};

inline bool PeerWrite(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Reads until count bytes arrived or the other end closed.
inline std::vector<std::uint8_t> PeerRead(int fd, std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::recv(fd, bytes.data() + done, count - done, 0);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace velkor::test_peer
