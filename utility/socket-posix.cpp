#include "socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velkor::net {

StartResult Start() { return {true, 2, 2}; }
void Stop() {}

std::uint32_t ParseDotted(const char* text) { return inet_addr(text); }

std::optional<std::uint32_t> LookupName(const char* name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
  std::uint32_t address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return address;
}

Socket OpenStream() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  return fd < 0 ? kNoSocket : fd;
}

static bool SetIntOption(Socket s, int option, int value) {
  return setsockopt(static_cast<int>(s), SOL_SOCKET, option, &value, sizeof value) == 0;
}

bool SetReceiveBuffer(Socket s, int bytes) { return SetIntOption(s, SO_RCVBUF, bytes); }
bool SetSendBuffer(Socket s, int bytes) { return SetIntOption(s, SO_SNDBUF, bytes); }

bool SetNoDelay(Socket s) {
  int one = 1;
  return setsockopt(static_cast<int>(s), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) == 0;
}

bool Connect(Socket s, std::uint32_t address, std::uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = address;
  int rc;
  do {
    rc = ::connect(static_cast<int>(s), reinterpret_cast<sockaddr*>(&to), sizeof to);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

Wait WaitWritable(Socket s, int seconds) {
  pollfd p{static_cast<int>(s), POLLOUT, 0};
  int rc;
  do {
    rc = ::poll(&p, 1, seconds * 1000);
  } while (rc < 0 && errno == EINTR);
  if (rc < 0) return Wait::kError;
  if (rc == 0) return Wait::kTimeout;
  return Wait::kReady;
}

long Send(Socket s, const void* data, std::size_t count) {
  ssize_t n;
  do {
    n = ::send(static_cast<int>(s), data, count, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

long Receive(Socket s, void* data, std::size_t count) {
  ssize_t n;
  do {
    n = ::recv(static_cast<int>(s), data, count, 0);
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

void Close(Socket s) { ::close(static_cast<int>(s)); }

std::string LastErrorText() { return std::strerror(errno); }

}  // namespace velkor::net
