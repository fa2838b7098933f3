// The sockets the utility and its tests need, behind one small interface.
// socket-posix.cpp implements it on POSIX systems, socket-win32.cpp with
// Winsock.  Addresses are IPv4 in network byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace velkor::net {

using Socket = std::intptr_t;
inline constexpr Socket kNoSocket = -1;

// Starts the platform's socket library and gives the version obtained.
// POSIX has nothing to start and reports 2.2.
struct StartResult {
  bool started = false;
  int major = 0;
  int minor = 0;
};
StartResult Start();
void Stop();

// inet_addr: a dotted address, or 0xFFFFFFFF (INADDR_NONE) when the text is
// not one.  "255.255.255.255" also gives 0xFFFFFFFF.
std::uint32_t ParseDotted(const char* text);
// First IPv4 address of a name lookup.
std::optional<std::uint32_t> LookupName(const char* name);

Socket OpenStream();
bool SetReceiveBuffer(Socket s, int bytes);
bool SetSendBuffer(Socket s, int bytes);
// Sends each message at once instead of holding back small segments.
bool SetNoDelay(Socket s);
bool Connect(Socket s, std::uint32_t address, std::uint16_t port);

enum class Wait { kReady, kTimeout, kError };
Wait WaitWritable(Socket s, int seconds);

// One send or receive call.  A closed peer shows up as a failed send (-1),
// never as a signal.  Receive gives 0 when the peer has closed.
long Send(Socket s, const void* data, std::size_t count);
long Receive(Socket s, void* data, std::size_t count);
void Close(Socket s);

// The system's message for the last failed socket call.
std::string LastErrorText();

// A socket closed when its owner goes out of scope, on every path.
class OwnedSocket {
 public:
  OwnedSocket() = default;
  explicit OwnedSocket(Socket s) : socket_(s) {}
  ~OwnedSocket() { Reset(); }
  OwnedSocket(OwnedSocket&& other) noexcept : socket_(other.Release()) {}
  OwnedSocket& operator=(OwnedSocket&& other) noexcept {
    if (this != &other) {
      Reset();
      socket_ = other.Release();
    }
    return *this;
  }
  OwnedSocket(const OwnedSocket&) = delete;
  OwnedSocket& operator=(const OwnedSocket&) = delete;

  Socket get() const { return socket_; }
  explicit operator bool() const { return socket_ != kNoSocket; }
  Socket Release() {
    Socket s = socket_;
    socket_ = kNoSocket;
    return s;
  }
  void Reset() {
    if (socket_ != kNoSocket) Close(socket_);
    socket_ = kNoSocket;
  }

 private:
  Socket socket_ = kNoSocket;
};

}  // namespace velkor::net
