#include "connection.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace velkor {

namespace {

constexpr int kSocketBufferBytes = 65535;
constexpr int kSendWaitSeconds = 20;

void ReportSocketError(const char* what) {
  std::fprintf(stderr, "%s: %s\n", what, net::LastErrorText().c_str());
}

}  // namespace

std::optional<std::uint32_t> ResolveHost(const char* text) {
  std::uint32_t address = net::ParseDotted(text);
  if (address != 0xFFFFFFFFu) return address;
  if (std::strcmp(text, "255.255.255.255") == 0) return std::nullopt;
  return net::LookupName(text);
}

net::OwnedSocket OpenConnection(std::uint32_t address, std::uint16_t port) {
  net::OwnedSocket s(net::OpenStream());
  if (!s) return s;
  if (!net::SetReceiveBuffer(s.get(), kSocketBufferBytes) ||
      !net::SetSendBuffer(s.get(), kSocketBufferBytes)) {
    ReportSocketError("setsockopt SO_SNDBUF failed");
    return net::OwnedSocket();
  }
  // Without it the last block of an upload waits for the acknowledgement
  // of the one before, which the server delays: 40 ms at every upload.
  net::SetNoDelay(s.get());
  if (!net::Connect(s.get(), address, port)) {
    ReportSocketError("connect()");
    return net::OwnedSocket();
  }
  return s;
}

bool Connection::SendAll(const void* data, std::size_t count) {
  if (closed_) return false;
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::size_t sent = 0;
  while (sent < count) {
    if (net::WaitWritable(socket_, kSendWaitSeconds) != net::Wait::kReady) {
      std::printf("Timeout.\n");
      closed_ = true;  // the socket's owner closes it
      return false;
    }
    long n = net::Send(socket_, p + sent, count - sent);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

bool Connection::ReceiveExact(void* buffer, std::size_t count) {
  if (closed_) return false;
  auto* p = static_cast<std::uint8_t*>(buffer);
  std::size_t got = 0;
  while (got < count) {
    if (inStart_ == inEnd_) {
      if (!inbox_) inbox_ = std::make_unique<std::uint8_t[]>(kBatchBytes);
      long n = net::Receive(socket_, inbox_.get(), kBatchBytes);
      if (n <= 0) return false;
      inStart_ = 0;
      inEnd_ = static_cast<std::size_t>(n);
    }
    std::size_t take = std::min(count - got, inEnd_ - inStart_);
    std::memcpy(p + got, inbox_.get() + inStart_, take);
    inStart_ += take;
    got += take;
  }
  return true;
}

bool Connection::SendRequest(std::uint8_t action, std::uint32_t value, std::uint8_t selector,
                             std::uint8_t flags, std::string_view device) {
  auto bytes = EncodeRequest(MakeRequest(action, value, selector, flags, device));
  return SendAll(bytes.data(), bytes.size());
}

bool Connection::ReadReply() {
  std::array<std::uint8_t, kReplyFrameSize> bytes;
  if (!ReceiveExact(bytes.data(), bytes.size())) {
    std::printf("Failed to get a responce from the server.\n");
    return false;
  }
  ReplyFrame reply = DecodeReply(bytes);
  announced_ = reply.value;
  if (reply.status == kStatusOk) return true;
  std::printf("Server reported an error: %s\n", StatusText(reply.status).c_str());
  return false;
}

bool Connection::ReceiveBlockInPlace(const std::uint8_t*& payload, std::size_t& length) {
  const std::uint8_t* block = splitBlock_.data();
  if (inEnd_ - inStart_ >= kDataBlockSize) {
    block = inbox_.get() + inStart_;  // whole in the buffer: taken from there
    inStart_ += kDataBlockSize;
  } else if (!ReceiveExact(splitBlock_.data(), kDataBlockSize)) {
    return false;
  }
  std::size_t n = BlockLength(block);
  if (n == 0 || n > kBlockPayloadSize) return false;
  payload = block + block_field::kPayload;
  length = n;
  return true;
}

bool Connection::ReceiveBlock(std::uint8_t* buffer, std::size_t& length) {
  const std::uint8_t* payload = nullptr;
  if (!ReceiveBlockInPlace(payload, length)) return false;
  std::memcpy(buffer, payload, length);
  return true;
}

bool Connection::SendBlock(const std::uint8_t* data, std::size_t count) {
  auto block = EncodeBlock(std::span<const std::uint8_t>(data, count));
  return SendAll(block.data(), block.size());
}

}  // namespace velkor
