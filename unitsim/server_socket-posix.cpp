#include "server_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace unitsim::sock {

Handle Listen(const std::string& address, std::uint16_t port, std::string& error) {
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  if (inet_pton(AF_INET, address.c_str(), &at.sin_addr) != 1) {
    error = "not an IPv4 address";
    return kNone;
  }
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return kNone;
  }
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  // The longest queue the system allows: a burst of a whole block's
  // clients must not be left connected on their side with no session.
  if (::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
      ::listen(fd, SOMAXCONN) != 0) {
    error = std::strerror(errno);
    ::close(fd);
    return kNone;
  }
  // Accept is only called after poll says a connection waits, but the
  // client may be gone by then: never block there.
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  return fd;
}

std::uint16_t LocalPort(Handle listener) {
  sockaddr_in at{};
  socklen_t size = sizeof at;
  if (getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size) != 0) return 0;
  return ntohs(at.sin_port);
}

Handle Accept(Handle listener, std::string& peer) {
  sockaddr_in from{};
  socklen_t size = sizeof from;
  int fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&from), &size, SOCK_CLOEXEC);
  if (fd < 0) return kNone;
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  char text[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
  peer = std::string(text) + ":" + std::to_string(ntohs(from.sin_port));
  return fd;
}

void SetSendTimeout(Handle s, int milliseconds) {
  timeval t{};
  t.tv_sec = milliseconds / 1000;
  t.tv_usec = (milliseconds % 1000) * 1000;
  setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &t, sizeof t);
}

bool SendAll(Handle s, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::send(s, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

long ReceiveSome(Handle s, std::uint8_t* buffer, std::size_t count) {
  while (true) {
    ssize_t n = ::recv(s, buffer, count, 0);
    if (n < 0 && errno == EINTR) continue;
    return n < 0 ? -1 : static_cast<long>(n);
  }
}

void Abort(Handle s) {
  linger reset{1, 0};
  setsockopt(s, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  ::shutdown(s, SHUT_RDWR);
}
void Close(Handle s) { ::close(s); }

Waker::Waker() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    read_ = fds[0];
    write_ = fds[1];
  }
}

Waker::~Waker() {
  if (read_ != kNone) ::close(read_);
  if (write_ != kNone) ::close(write_);
}

void Waker::Wake() {
  char byte = 1;
  [[maybe_unused]] ssize_t n = ::write(write_, &byte, 1);
}

std::vector<Handle> WaitReadable(std::span<const Handle> handles, int milliseconds) {
  std::vector<pollfd> polls;
  for (Handle h : handles) polls.push_back(pollfd{h, POLLIN, 0});
  std::vector<Handle> ready;
  int rc = ::poll(polls.data(), polls.size(), milliseconds);
  if (rc <= 0) return ready;
  for (const pollfd& p : polls) {
    if (p.revents != 0) ready.push_back(p.fd);
  }
  return ready;
}

bool WaitReadable(Handle handle, int milliseconds) {
  pollfd p{handle, POLLIN, 0};
  int rc;
  do {
    rc = ::poll(&p, 1, milliseconds);
  } while (rc < 0 && errno == EINTR);
  return rc > 0;
}

void IgnoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace unitsim::sock
