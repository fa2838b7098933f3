// The platform's ICMP echo service: one handle per echo, as each sweep
// worker holds its own.  icmp-posix.cpp sends through a datagram ICMP
// socket where the system allows it (net.ipv4.ping_group_range) and a raw
// socket otherwise; icmp-win32.cpp uses the ICMP echo API.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace halvex {

struct EchoReply {
  bool replied = false;       // an echo reply came back within the time-out
  int status = 0;             // echo:: status code (0 when replied)
  std::int64_t roundTripMicroseconds = 0;
};

class EchoHandle {
 public:
  virtual ~EchoHandle() = default;
  // Sends one echo request to `address` (network byte order) and waits up
  // to `timeoutMs` for its answer.
  virtual EchoReply Send(std::uint32_t address, std::string_view payload, int timeoutMs) = 0;
};

// inet_addr: a dotted address (also the short forms "10.42.5" and "10"),
// or nothing when the text is none.
std::optional<std::uint32_t> ParseDottedAddress(const std::string& text);

// The first IPv4 address a name lookup gives (network byte order), or
// nothing when the name does not resolve.
std::optional<std::uint32_t> LookUpName(const std::string& name);

// The first IPv4 address a name lookup gives, as dotted decimal text, or an
// empty text when the name does not resolve.
std::string resolveDottedQuad(const std::string& name);

class EchoService {
 public:
  virtual ~EchoService() = default;
  // A fresh handle, or nothing when the system gives none.
  virtual std::unique_ptr<EchoHandle> Open() = 0;
  virtual std::optional<std::uint32_t> ParseDotted(const std::string& text) {
    return ParseDottedAddress(text);
  }
  virtual std::string ResolveName(const std::string& name) { return resolveDottedQuad(name); }
};

// What the system lets this process open, tried before a sweep.
enum class IcmpAccess { kDatagram, kRaw, kNone };

struct IcmpProbe {
  IcmpAccess access = IcmpAccess::kNone;
  std::string problem;  // the system's reason when nothing could be opened
};

// Tries a datagram ICMP socket, then a raw one.  HALVEX_ICMP=raw skips the
// datagram kind and HALVEX_ICMP=datagram the raw one (for trying each path).
IcmpProbe ProbeIcmp();

// What the operator can do when no echo can be sent, as a sentence that
// starts with a blank; empty when there is nothing to advise.
std::string IcmpAdvice();

// The echo service of the kind the probe found.
std::unique_ptr<EchoService> MakeEchoService(IcmpAccess access);

}  // namespace halvex
