#include "cutting_proxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace e2e {

namespace {

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return at;
}

bool SendAll(int fd, const std::uint8_t* data, std::size_t count) {
  while (count > 0) {
    ssize_t n = ::send(fd, data, count, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

CuttingProxy::CuttingProxy(std::uint16_t serverPort) : serverPort_(serverPort) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in at = Loopback(0);
  ::bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at);
  ::listen(listener_, 16);
  socklen_t size = sizeof at;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &size);
  port_ = ntohs(at.sin_port);
  if (::pipe2(wake_, O_CLOEXEC) != 0) wake_[0] = wake_[1] = -1;
  thread_ = std::thread([this] { Run(); });
}

CuttingProxy::~CuttingProxy() {
  char byte = 1;
  [[maybe_unused]] ssize_t n = ::write(wake_[1], &byte, 1);
  thread_.join();
  ::close(listener_);
  ::close(wake_[0]);
  ::close(wake_[1]);
}

void CuttingProxy::SetCut(Direction direction, std::uint64_t limit) {
  std::lock_guard lock(mutex_);
  direction_ = direction;
  limit_ = limit;
}

ByteCounts CuttingProxy::LastCounts() {
  std::unique_lock lock(mutex_);
  ended_.wait_for(lock, std::chrono::seconds(5), [this] { return finished_ == accepted_; });
  return last_;
}

void CuttingProxy::Run() {
  for (;;) {
    pollfd polls[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(polls, 2, -1) <= 0) continue;
    if (polls[1].revents != 0) return;
    int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    {
      std::lock_guard lock(mutex_);
      ++accepted_;
    }
    int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to = Loopback(serverPort_);
    if (::connect(server, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) Relay(client, server);
    ::close(server);
    ::close(client);
    {
      std::lock_guard lock(mutex_);
      ++finished_;
    }
    ended_.notify_all();
  }
}

void CuttingProxy::Relay(int client, int server) {
  Direction direction;
  std::uint64_t limit;
  {
    std::lock_guard lock(mutex_);
    direction = direction_;
    limit = limit_;
  }
  ByteCounts counts;
  std::uint8_t buffer[65536];
  bool open = true;
  while (open) {
    pollfd polls[3] = {{client, POLLIN, 0}, {server, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(polls, 3, 10000) <= 0) break;  // an exchange that hangs ends here
    if (polls[2].revents != 0) break;
    for (int side = 0; side < 2 && open; ++side) {
      if (polls[side].revents == 0) continue;
      int from = side == 0 ? client : server;
      int to = side == 0 ? server : client;
      Direction way = side == 0 ? Direction::kToServer : Direction::kToClient;
      std::uint64_t& count = way == Direction::kToServer ? counts.toServer : counts.toClient;
      ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
      if (n <= 0) {
        open = false;
        break;
      }
      std::size_t pass = static_cast<std::size_t>(n);
      bool cut = false;
      if (way == direction && count + pass >= limit) {
        pass = static_cast<std::size_t>(limit - count);
        cut = true;
      }
      if (pass > 0 && !SendAll(to, buffer, pass)) open = false;
      count += pass;
      if (cut) open = false;
    }
  }
  // Both sides see the end at once.
  ::shutdown(client, SHUT_RDWR);
  ::shutdown(server, SHUT_RDWR);
  std::lock_guard lock(mutex_);
  last_ = counts;
}

}  // namespace e2e
