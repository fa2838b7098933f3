// The utility's network layer: resolving the server, opening the one
// connection of a run, and moving the fixed-size messages of frames.h.
// Every action touches the socket only through the operations below.
//
// Bulk data moves in large system calls while the bytes on the wire stay
// the same: receives read up to 64 KiB ahead into the connection's own
// buffer and hand out exact counts from it; senders put as many whole
// messages as fit into one send of up to 64 KiB (kBatchBytes).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "frames.h"
#include "socket.h"

namespace velkor {

using namespace protocol;

// A dotted address is used as it is; "255.255.255.255" is unresolvable
// without a lookup; anything else is looked up as a host name.
std::optional<std::uint32_t> ResolveHost(const char* text);

// Socket buffers of 65535 bytes each way, no delay of small segments (every
// send is a whole message), then connect.  Failures are reported on
// standard error in perror form and give no socket; the caller prints its
// own line.
net::OwnedSocket OpenConnection(std::uint32_t address, std::uint16_t port);

// The most one send or receive call moves.
inline constexpr std::size_t kBatchBytes = 64 * 1024;
// Whole DataBlocks in one send.
inline constexpr std::size_t kBlocksPerSend = kBatchBytes / kDataBlockSize;

class Connection {
 public:
  explicit Connection(net::Socket socket) : socket_(socket) {}

  // Waits at most 20 seconds for the socket to take data before each send;
  // on time-out prints "Timeout." and moves nothing more.  The socket is
  // not owned: the caller keeps it open as long as the Connection.
  bool SendAll(const void* data, std::size_t count);
  // Blocks until exactly count bytes arrived; fails on error or close.
  // What arrived beyond them waits in the connection for the next call.
  bool ReceiveExact(void* buffer, std::size_t count);

  bool SendRequest(std::uint8_t action, std::uint32_t value, std::uint8_t selector,
                   std::uint8_t flags, std::string_view device);
  // Succeeds on status 1; prints the failure otherwise.  Every complete
  // reply replaces the announced value.
  bool ReadReply();
  // One DataBlock; copies its payload (1 to 1460 bytes) into buffer, which
  // holds at least 1460 bytes.  A length of 0 or above 1460 is a failure.
  bool ReceiveBlock(std::uint8_t* buffer, std::size_t& length);
  // The same without the copy: payload points at the block's payload in
  // the connection's own buffer, good until the next receive.
  bool ReceiveBlockInPlace(const std::uint8_t*& payload, std::size_t& length);
  // count is 1 to 1460; the block always goes out as 1462 bytes.
  bool SendBlock(const std::uint8_t* data, std::size_t count);


  std::uint32_t announced() const { return announced_; }
  net::Socket socket() const { return socket_; }

 private:
  net::Socket socket_;
  std::uint32_t announced_ = 0;
  bool closed_ = false;
  // Received and not yet handed out: inbox_[inStart_, inEnd_).
  std::unique_ptr<std::uint8_t[]> inbox_;
  std::size_t inStart_ = 0;
  std::size_t inEnd_ = 0;
  // A block that arrived split across two reads of the inbox.
  std::array<std::uint8_t, kDataBlockSize> splitBlock_{};
};

}  // namespace velkor
