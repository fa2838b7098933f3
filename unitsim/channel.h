// One client connection as the actions see it: exact receives, whole
// sends, and the protocol's replies and data blocks.  It counts the bytes
// moved for the request log.  A unit far away answers each message late
// and moves its bytes no faster than its radio link (SetLink).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "frames.h"
#include "pace.h"
#include "server_socket.h"

namespace unitsim {

class Channel {
 public:
  using Clock = std::chrono::steady_clock;

  // idle is the time each message (a frame, a block, a record) has to
  // arrive in full, however the client spreads its bytes.
  explicit Channel(sock::Handle socket, std::chrono::milliseconds idle = std::chrono::seconds(60))
      : socket_(socket), idle_(idle) {}

  // A time by which every receive must be over, whatever idle allows (the
  // login's); Clock::time_point::max() for none.
  void SetDeadline(Clock::time_point deadline) { deadline_ = deadline; }

  // Every message the unit sends waits replyDelay first; the bytes go
  // both ways at no more than linkKbit (0: as fast as they can).
  void SetLink(std::chrono::milliseconds replyDelay, std::uint32_t linkKbit);

  // A message: waits the reply delay, then sends it whole.
  bool Send(std::span<const std::uint8_t> bytes);
  // More of the message just sent (a download's later blocks): no delay.
  bool SendMore(std::span<const std::uint8_t> bytes);
  // Fails when the peer closes, errs or is not done by the message's time
  // or the deadline before count bytes came; lastReceived() then tells
  // how many did.
  bool ReceiveExact(std::uint8_t* buffer, std::size_t count);

  bool SendReply(std::uint8_t status, std::uint32_t value = 0);
  // One DataBlock of 1 to 1460 bytes.
  bool SendBlock(std::span<const std::uint8_t> payload);

  std::size_t lastReceived() const { return lastReceived_; }
  std::uint64_t bytesSent() const { return sent_; }
  std::uint64_t bytesReceived() const { return received_; }

 private:
  sock::Handle socket_;
  std::chrono::milliseconds idle_;
  std::chrono::milliseconds replyDelay_{0};
  Pace sendPace_;
  Pace receivePace_;
  Clock::time_point deadline_ = Clock::time_point::max();
  std::size_t lastReceived_ = 0;
  std::uint64_t sent_ = 0;
  std::uint64_t received_ = 0;
};

}  // namespace unitsim
