// The server's sockets behind one small interface; server_socket-posix.cpp
// implements it.  Sends never raise SIGPIPE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace unitsim::sock {

using Handle = int;
inline constexpr Handle kNone = -1;

// A listening TCP socket on a dotted IPv4 address; port 0 lets the system
// choose.  On failure gives kNone and the system's reason in error.
Handle Listen(const std::string& address, std::uint16_t port, std::string& error);
std::uint16_t LocalPort(Handle listener);

// Accepts one waiting connection; gives kNone when none is waiting.
// peer becomes "ADDRESS:PORT".  The connection sends each message at once
// (no delay of small segments).
Handle Accept(Handle listener, std::string& peer);

// Send calls give up after this long without progress.
void SetSendTimeout(Handle s, int milliseconds);

// Sends everything; false on error, time-out or a closed peer.
bool SendAll(Handle s, std::span<const std::uint8_t> bytes);
// Receives up to count bytes: > 0 bytes, 0 when the peer closed, -1 on
// error or time-out.
long ReceiveSome(Handle s, std::uint8_t* buffer, std::size_t count);

// Ends both directions so that a thread blocked on the socket returns, and
// makes its close reset the connection at once (a unit that goes away): a
// client whose data the unit has not taken, and which may be
// waiting for room to send, learns of it at once instead of probing a
// window that never opens.
void Abort(Handle s);
void Close(Handle s);

// A pipe that wakes a thread waiting in WaitReadable.
class Waker {
 public:
  Waker();
  ~Waker();
  Waker(const Waker&) = delete;
  Waker& operator=(const Waker&) = delete;
  void Wake();
  Handle handle() const { return read_; }

 private:
  Handle read_ = kNone;
  Handle write_ = kNone;
};

// Waits until one of the handles can be read, or the time passes; gives
// the handles that can.
std::vector<Handle> WaitReadable(std::span<const Handle> handles, int milliseconds);
// The same for one handle: true when it can be read (or has closed).
bool WaitReadable(Handle handle, int milliseconds);

// Ignores SIGPIPE for the whole process.
void IgnoreBrokenPipes();

}  // namespace unitsim::sock
