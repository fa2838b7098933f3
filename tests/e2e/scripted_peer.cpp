#include "scripted_peer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace e2e {

using namespace protocol;

bool PeerLink::Send(std::span<const std::uint8_t> bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

bool PeerLink::Send(const std::string& bytes) {
  return Send(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            bytes.size()));
}

std::optional<std::vector<std::uint8_t>> PeerLink::Receive(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  std::size_t got = 0;
  while (got < count) {
    ssize_t n = ::recv(fd_, bytes.data() + got, count - got, 0);
    if (n <= 0) return std::nullopt;
    got += static_cast<std::size_t>(n);
  }
  return bytes;
}

std::vector<std::uint8_t> PeerLink::ReceiveRest() {
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[4096];
  for (;;) {
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) return bytes;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
}

void PeerLink::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool PeerLink::SendHello(std::uint16_t version) {
  ServerHello hello;
  hello.text = "scripted peer";
  hello.challenge = challenge_;
  hello.version = version;
  return Send(EncodeServerHello(hello));
}

std::optional<LoginFrame> PeerLink::ReceiveLogin() {
  auto bytes = Receive(kLoginFrameSize);
  if (!bytes) return std::nullopt;
  return DecodeLoginFrame(std::span<const std::uint8_t, kLoginFrameSize>(bytes->data(), kLoginFrameSize));
}

bool PeerLink::SendLoginResult(std::uint8_t verdict, std::uint16_t tag) {
  return Send(EncodeLoginResult({tag, verdict}));
}

bool PeerLink::AcceptLogin() { return SendHello() && ReceiveLogin() && SendLoginResult(1); }

std::optional<RequestFrame> PeerLink::ReceiveRequest() {
  auto bytes = Receive(kRequestFrameSize);
  if (!bytes) return std::nullopt;
  return DecodeRequest(std::span<const std::uint8_t, kRequestFrameSize>(bytes->data(), kRequestFrameSize));
}

bool PeerLink::SendReply(std::uint8_t status, std::uint32_t value) {
  return Send(EncodeReply({kReplyTag, status, value}));
}

bool PeerLink::SendBlock(const std::string& payload) {
  return SendRawBlock(static_cast<std::uint16_t>(payload.size()), payload);
}

bool PeerLink::SendRawBlock(std::uint16_t length, const std::string& payload) {
  std::array<std::uint8_t, kDataBlockSize> block{};
  PutU16(block.data(), length);
  std::copy_n(payload.begin(), std::min(payload.size(), kBlockPayloadSize), block.begin() + 2);
  return Send(block);
}

ScriptedPeer::ScriptedPeer(std::function<void(PeerLink&)> script) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 4) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    ADD_FAILURE() << "scripted peer cannot listen";
    return;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this, script = std::move(script)] {
    // Give up when nobody connects, so that a test never hangs here.
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 30000) != 1) return;
    int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    PeerLink link(fd);
    script(link);
    link.Close();
  });
}

void ScriptedPeer::Join() {
  if (thread_.joinable()) thread_.join();
}

ScriptedPeer::~ScriptedPeer() {
  if (listener_ >= 0) ::shutdown(listener_, SHUT_RDWR);
  Join();
  if (listener_ >= 0) ::close(listener_);
}

ScriptedPeer LoggedInPeer(std::function<void(PeerLink&)> rest,
                          std::optional<RequestFrame>* request) {
  return ScriptedPeer([rest = std::move(rest), request](PeerLink& link) {
    if (!link.AcceptLogin()) return;
    auto frame = link.ReceiveRequest();
    if (request) *request = frame;
    if (frame) rest(link);
  });
}

RunResult VelkorAgainst(ScriptedPeer& peer, const std::vector<std::string>& options) {
  RunResult r = VelkorAgainst(peer.port(), options);
  peer.Join();
  return r;
}

}  // namespace e2e
