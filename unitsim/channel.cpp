#include "channel.h"

#include <algorithm>
#include <thread>

namespace unitsim {

namespace {

// The most a paced link moves in one piece.
constexpr std::size_t kMostPaced = 64 * 1024;

}  // namespace

void Channel::SetLink(std::chrono::milliseconds replyDelay, std::uint32_t linkKbit) {
  replyDelay_ = replyDelay;
  sendPace_ = Pace(linkKbit);
  receivePace_ = Pace(linkKbit);
}

bool Channel::Send(std::span<const std::uint8_t> bytes) {
  if (replyDelay_.count() > 0) std::this_thread::sleep_for(replyDelay_);
  return SendMore(bytes);
}

bool Channel::SendMore(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    std::size_t piece = sendPace_.Chunk(1, kMostPaced);
    if (!sendPace_.limited()) piece = bytes.size();
    piece = std::min(piece, bytes.size());
    sendPace_.Before(sent_);
    if (!sock::SendAll(socket_, bytes.first(piece))) return false;
    sent_ += piece;
    bytes = bytes.subspan(piece);
  }
  return true;
}

bool Channel::ReceiveExact(std::uint8_t* buffer, std::size_t count) {
  lastReceived_ = 0;
  const Clock::time_point until = std::min(deadline_, Clock::now() + idle_);
  while (lastReceived_ < count) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) return false;
    if (!sock::WaitReadable(socket_, static_cast<int>(std::min<long long>(left, 1 << 30))))
      return false;
    receivePace_.Before(received_);
    std::size_t want = std::min(count - lastReceived_, receivePace_.Chunk(1, kMostPaced));
    long n = sock::ReceiveSome(socket_, buffer + lastReceived_, want);
    if (n <= 0) return false;
    lastReceived_ += static_cast<std::size_t>(n);
    received_ += static_cast<std::uint64_t>(n);
  }
  return true;
}

bool Channel::SendReply(std::uint8_t status, std::uint32_t value) {
  protocol::ReplyFrame reply;
  reply.status = status;
  reply.value = value;
  return Send(protocol::EncodeReply(reply));
}

bool Channel::SendBlock(std::span<const std::uint8_t> payload) {
  return Send(protocol::EncodeBlock(payload));
}

}  // namespace unitsim
