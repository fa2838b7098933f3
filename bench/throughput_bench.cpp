// On-demand benchmark: how fast velkor's -rx loop takes data from a fast
// sender on loopback, side by side with a plain reader that reads 64 KiB at
// a time, and how fast the -tx loop gives data to a plain reader.
//
//   throughput_bench [megabytes]     (default 2000 per run)
//
// The sender writes 64 KiB at a time through a socket with 64 KiB buffers,
// as the utility's own socket has.  Each figure is the best of five runs.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "connection.h"
#include "throughput.h"

namespace {

constexpr int kBufferBytes = 65535;
constexpr std::size_t kChunk = 64 * 1024;

int Listen(std::uint16_t& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof at;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&at), size) != 0 || ::listen(fd, 1) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size) != 0) {
    std::perror("listen");
    std::exit(1);
  }
  port = ntohs(at.sin_port);
  return fd;
}

int AcceptOne(int listener) {
  int fd = ::accept(listener, nullptr, nullptr);
  ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kBufferBytes, sizeof kBufferBytes);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kBufferBytes, sizeof kBufferBytes);
  return fd;
}

void SendBytes(int fd, std::size_t total) {
  std::vector<char> chunk(kChunk, 'x');
  std::size_t sent = 0;
  while (sent < total) {
    ssize_t n = ::send(fd, chunk.data(), std::min(kChunk, total - sent), MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
  }
}

std::size_t ReadPlain(int fd, std::size_t limit) {
  std::vector<char> buffer(kChunk);
  std::size_t got = 0;
  while (got < limit) {
    ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

// The peer runs on its own thread; the measured side runs here.
double MegabytesPerSecond(std::size_t total, const std::function<void(int)>& peer,
                          const std::function<void(int)>& measured) {
  std::uint16_t port = 0;
  int listener = Listen(port);
  std::thread server([&] {
    int fd = AcceptOne(listener);
    peer(fd);
    ::close(fd);
  });
  velkor::net::OwnedSocket owned = velkor::OpenConnection(htonl(INADDR_LOOPBACK), port);
  velkor::net::Socket client = owned.get();
  auto start = std::chrono::steady_clock::now();
  measured(static_cast<int>(client));
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  owned.Reset();
  server.join();
  ::close(listener);
  return static_cast<double>(total) / 1e6 / seconds;
}

double Best(const std::function<double()>& run) {
  double best = 0;
  for (int i = 0; i < 5; ++i) best = std::max(best, run());
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000;
  std::size_t total = megabytes * 1000 * 1000;
  // The rate lines of the loops go to the null device during the runs.
  std::FILE* out = ::fdopen(::dup(1), "w");
  if (!std::freopen("/dev/null", "w", stdout)) return 1;

  double rx = Best([&] {
    return MegabytesPerSecond(
        total, [&](int fd) { SendBytes(fd, total); },
        [](int fd) {
          velkor::Connection connection(fd);
          velkor::ReceiveThroughput(connection);
        });
  });
  double plain = Best([&] {
    return MegabytesPerSecond(
        total, [&](int fd) { SendBytes(fd, total); }, [&](int fd) { ReadPlain(fd, total); });
  });
  double tx = Best([&] {
    return MegabytesPerSecond(
        total, [&](int fd) { ReadPlain(fd, total); },
        [](int fd) {
          velkor::Connection connection(fd);
          velkor::TransmitThroughput(connection);
        });
  });

  std::fprintf(out, "throughput test on loopback, %zu MB per run, best of 5\n", megabytes);
  std::fprintf(out, "  velkor -rx loop (1000-byte pieces):  %7.0f MB/s\n", rx);
  std::fprintf(out, "  plain reader (64 KiB reads):         %7.0f MB/s\n", plain);
  std::fprintf(out, "  velkor -tx loop (1000-byte pieces):  %7.0f MB/s\n", tx);
  return 0;
}
