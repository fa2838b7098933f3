#include "socket.h"

#include <winsock2.h>

#include <climits>
#include <cstring>
#include <windows.h>

namespace velkor::net {

StartResult Start() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return {false, 0, 0};
  return {true, LOBYTE(data.wVersion), HIBYTE(data.wVersion)};
}

void Stop() { WSACleanup(); }

std::uint32_t ParseDotted(const char* text) { return inet_addr(text); }

std::optional<std::uint32_t> LookupName(const char* name) {
  hostent* found = gethostbyname(name);
  if (found == nullptr || found->h_addrtype != AF_INET || found->h_addr_list[0] == nullptr)
    return std::nullopt;
  std::uint32_t address;
  std::memcpy(&address, found->h_addr_list[0], sizeof address);
  return address;
}

Socket OpenStream() {
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
  return s == INVALID_SOCKET ? kNoSocket : static_cast<Socket>(s);
}

static bool SetIntOption(Socket s, int option, int value) {
  return setsockopt(static_cast<SOCKET>(s), SOL_SOCKET, option,
                    reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

bool SetReceiveBuffer(Socket s, int bytes) { return SetIntOption(s, SO_RCVBUF, bytes); }
bool SetSendBuffer(Socket s, int bytes) { return SetIntOption(s, SO_SNDBUF, bytes); }

bool SetNoDelay(Socket s) {
  BOOL one = TRUE;
  return setsockopt(static_cast<SOCKET>(s), IPPROTO_TCP, TCP_NODELAY,
                    reinterpret_cast<const char*>(&one), sizeof one) == 0;
}

bool Connect(Socket s, std::uint32_t address, std::uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = address;
  return ::connect(static_cast<SOCKET>(s), reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
}

Wait WaitWritable(Socket s, int seconds) {
  fd_set writable;
  FD_ZERO(&writable);
  FD_SET(static_cast<SOCKET>(s), &writable);
  timeval limit{seconds, 0};
  int rc = ::select(0, nullptr, &writable, nullptr, &limit);
  if (rc == SOCKET_ERROR) return Wait::kError;
  if (rc == 0) return Wait::kTimeout;
  return Wait::kReady;
}

long Send(Socket s, const void* data, std::size_t count) {
  int n = ::send(static_cast<SOCKET>(s), static_cast<const char*>(data),
                 static_cast<int>(count > INT_MAX ? INT_MAX : count), 0);
  return n == SOCKET_ERROR ? -1 : n;
}

long Receive(Socket s, void* data, std::size_t count) {
  int n = ::recv(static_cast<SOCKET>(s), static_cast<char*>(data),
                 static_cast<int>(count > INT_MAX ? INT_MAX : count), 0);
  return n == SOCKET_ERROR ? -1 : n;
}

void Close(Socket s) { ::closesocket(static_cast<SOCKET>(s)); }

std::string LastErrorText() {
  char text[256] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, static_cast<DWORD>(WSAGetLastError()), 0, text,
                                sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) text[--length] = 0;
  return text;
}

}  // namespace velkor::net
