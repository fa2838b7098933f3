#include "test_client.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "digest.h"
#include "test_loopback.h"

namespace unitsim::test {

TestClient::TestClient(std::uint16_t port) : fd_(protocol::test::ConnectToLoopback(port)) {
  if (fd_ < 0) return;
  timeval limit{10, 0};
  setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

TestClient::~TestClient() { Close(); }

void TestClient::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool TestClient::Send(std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool TestClient::Receive(std::uint8_t* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::recv(fd_, buffer + done, count - done, 0);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool TestClient::SeesClose() {
  std::uint8_t byte;
  ssize_t n = ::recv(fd_, &byte, 1, 0);
  return n == 0 || (n < 0 && errno == ECONNRESET);
}

bool TestClient::DrainsToClose() {
  std::uint8_t buffer[4096];
  while (true) {
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n > 0) continue;
    return n == 0 || errno == ECONNRESET;
  }
}

std::optional<protocol::ServerHello> TestClient::ReadHello() {
  std::array<std::uint8_t, protocol::kServerHelloSize> bytes;
  if (!Receive(bytes.data(), bytes.size())) return std::nullopt;
  return protocol::DecodeServerHello(bytes);
}

std::optional<int> TestClient::Login(std::string_view password) {
  auto hello = ReadHello();
  if (!hello) return std::nullopt;
  protocol::LoginFrame frame;
  frame.digest = protocol::MakePasswordDigest(password, hello->challenge);
  if (!Send(protocol::EncodeLoginFrame(frame))) return std::nullopt;
  std::array<std::uint8_t, protocol::kLoginResultSize> result;
  if (!Receive(result.data(), result.size())) return std::nullopt;
  return protocol::DecodeLoginResult(result).verdict;
}

std::optional<protocol::ReplyFrame> TestClient::ReadReply() {
  std::array<std::uint8_t, protocol::kReplyFrameSize> bytes;
  if (!Receive(bytes.data(), bytes.size())) return std::nullopt;
  return protocol::DecodeReply(bytes);
}

std::optional<std::string> TestClient::ReadBlocks(std::uint32_t total, int* blockCount) {
  std::string data;
  int blocks = 0;
  while (data.size() < total) {
    std::array<std::uint8_t, protocol::kDataBlockSize> block;
    if (!Receive(block.data(), block.size())) return std::nullopt;
    std::uint16_t length = protocol::BlockLength(block.data());
    if (length == 0 || length > protocol::kBlockPayloadSize) return std::nullopt;
    data.append(reinterpret_cast<const char*>(block.data() + 2), length);
    ++blocks;
  }
  if (blockCount != nullptr) *blockCount = blocks;
  if (data.size() != total) return std::nullopt;
  return data;
}

Exchange RunRequest(std::uint16_t port, std::string_view password, std::uint8_t action,
                    std::uint8_t flags) {
  Exchange exchange;
  TestClient client(port);
  auto verdict = client.Login(password);
  if (!verdict) return exchange;
  exchange.verdict = *verdict;
  if (*verdict == 0) return exchange;
  if (!client.Send(protocol::EncodeRequest(protocol::MakeRequest(action, 0, 0, flags, "")))) {
    return exchange;
  }
  exchange.first = client.ReadReply();
  if (!exchange.first || exchange.first->status != protocol::kStatusOk) return exchange;
  if (action == protocol::kActionSystemInfo || action == protocol::kActionKernelLog) {
    exchange.data = client.ReadBlocks(exchange.first->value, &exchange.blocks);
    if (!exchange.data) return exchange;
  }
  exchange.final = client.ReadReply();
  return exchange;
}

}  // namespace unitsim::test
