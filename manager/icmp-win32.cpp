// ICMP echo on Windows, through the system's ICMP echo interface
// (IcmpCreateFile, IcmpSendEcho), which needs no rights.  Its status codes
// are the echo:: codes; its round trip is in whole milliseconds, so a
// sub-millisecond answer reads 0 ms and still counts as a reply.
#include "icmp.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <mutex>
#include <vector>

#include "echo_status.h"

namespace halvex {

namespace {

class IcmpEchoHandle : public EchoHandle {
 public:
  explicit IcmpEchoHandle(HANDLE handle) : handle_(handle) {}
  ~IcmpEchoHandle() override { IcmpCloseHandle(handle_); }

  EchoReply Send(std::uint32_t address, std::string_view payload, int timeoutMs) override {
    EchoReply reply;
    std::vector<char> request(payload.begin(), payload.end());
    // Room for one reply, its data and an ICMP error's own payload.
    std::vector<unsigned char> answer(sizeof(ICMP_ECHO_REPLY) + request.size() + 8 + 64);
    DWORD count = IcmpSendEcho(handle_, static_cast<IPAddr>(address), request.data(),
                               static_cast<WORD>(request.size()), nullptr, answer.data(),
                               static_cast<DWORD>(answer.size()), static_cast<DWORD>(timeoutMs));
    if (count == 0) {
      reply.status = static_cast<int>(GetLastError());
      return reply;
    }
    const auto* echo = reinterpret_cast<const ICMP_ECHO_REPLY*>(answer.data());
    reply.status = static_cast<int>(echo->Status);
    reply.replied = echo->Status == IP_SUCCESS && echo->Address == address;
    reply.roundTripMicroseconds = static_cast<std::int64_t>(echo->RoundTripTime) * 1000;
    return reply;
  }

 private:
  HANDLE handle_;
};

class IcmpEchoService : public EchoService {
 public:
  std::unique_ptr<EchoHandle> Open() override {
    HANDLE handle = IcmpCreateFile();
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<IcmpEchoHandle>(handle);
  }
};

// Name lookups need the socket library started, once.
bool StartSockets() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    WSADATA data;
    started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  });
  return started;
}

}  // namespace

IcmpProbe ProbeIcmp() {
  IcmpProbe probe;
  HANDLE handle = IcmpCreateFile();
  if (handle == INVALID_HANDLE_VALUE) {
    probe.problem = "IcmpCreateFile failed (error " + std::to_string(GetLastError()) + ")";
    return probe;
  }
  IcmpCloseHandle(handle);
  probe.access = IcmpAccess::kDatagram;  // the system's own echo service
  return probe;
}

std::string IcmpAdvice() { return ""; }

std::unique_ptr<EchoService> MakeEchoService(IcmpAccess access) {
  if (access == IcmpAccess::kNone) return nullptr;
  return std::make_unique<IcmpEchoService>();
}

std::optional<std::uint32_t> ParseDottedAddress(const std::string& text) {
  unsigned long address = inet_addr(text.c_str());
  if (address == INADDR_NONE) return std::nullopt;
  return static_cast<std::uint32_t>(address);
}

std::optional<std::uint32_t> LookUpName(const std::string& name) {
  if (!StartSockets()) return {};
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return {};
  std::uint32_t address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return address;
}

}  // namespace halvex
