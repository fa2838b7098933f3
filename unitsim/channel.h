// One client connection as the actions see it: exact receives, whole
// sends, and the protocol's replies and data blocks.  It counts the bytes
// moved for the request log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "frames.h"
#include "server_socket.h"

namespace unitsim {

class Channel {
 public:
  explicit Channel(sock::Handle socket) : socket_(socket) {}

  bool Send(std::span<const std::uint8_t> bytes);
  // Fails when the peer closes, errs or stalls past the time-out before
  // count bytes came; last_received() then tells how many did.
  bool ReceiveExact(std::uint8_t* buffer, std::size_t count);

  bool SendReply(std::uint8_t status, std::uint32_t value = 0);
  // One DataBlock of 1 to 1460 bytes.
  bool SendBlock(std::span<const std::uint8_t> payload);
  // data in DataBlocks of 1460 bytes, the last one shorter; nothing for
  // empty data.
  bool SendInBlocks(std::string_view data);

  std::size_t last_received() const { return last_received_; }
  std::uint64_t bytes_sent() const { return sent_; }
  std::uint64_t bytes_received() const { return received_; }

 private:
  sock::Handle socket_;
  std::size_t last_received_ = 0;
  std::uint64_t sent_ = 0;
  std::uint64_t received_ = 0;
};

}  // namespace unitsim
