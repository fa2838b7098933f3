// ICMP echo on POSIX.  A datagram ICMP socket ("ping socket") is allowed to
// ordinary users where net.ipv4.ping_group_range includes their group; the
// kernel then gives each socket only the replies to its own identifier.  A
// raw ICMP socket needs root or CAP_NET_RAW and sees every ICMP packet that
// arrives, so each handle filters for its own identifier in the kernel and
// checks identifier, sequence and source address again itself.
#include "icmp.h"

#include <algorithm>
#include <arpa/inet.h>
#include <linux/filter.h>
#include <linux/icmp.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "echo_status.h"

namespace halvex {

namespace {

constexpr std::uint8_t kEchoReply = 0;
constexpr std::uint8_t kUnreachable = 3;
constexpr std::uint8_t kSourceQuench = 4;
constexpr std::uint8_t kEchoRequest = 8;
constexpr std::uint8_t kTimeExceeded = 11;
constexpr std::uint8_t kParameterProblem = 12;

// Identifiers and sequence numbers: a random start per process, then one
// more for every echo, so that no two handles wait for the same answer.
std::uint16_t NextEchoNumber() {
  static std::atomic<unsigned> next{std::random_device{}()};
  return static_cast<std::uint16_t>(next.fetch_add(1));
}

std::uint16_t Checksum(const std::uint8_t* data, std::size_t size) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i + 1 < size; i += 2) sum += (data[i] << 8) | data[i + 1];
  if (size % 2) sum += data[size - 1] << 8;
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum);
}

std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

int StatusOfErrno(int error) {
  switch (error) {
    case ENETUNREACH: return echo::kNetUnreachable;
    case EHOSTUNREACH: return echo::kHostUnreachable;
    case ECONNREFUSED: return echo::kPortUnreachable;
    case EMSGSIZE: return echo::kPacketTooBig;
    case ENOBUFS:
    case ENOMEM: return echo::kNoResources;
    case EPROTO: return echo::kParameterProblem;
    default: return echo::kGeneralFailure;
  }
}

int StatusOfIcmpError(std::uint8_t type, std::uint8_t code) {
  switch (type) {
    case kUnreachable:
      switch (code) {
        case 0: return echo::kNetUnreachable;
        case 1: return echo::kHostUnreachable;
        case 2: return echo::kProtocolUnreachable;
        case 3: return echo::kPortUnreachable;
        case 4: return echo::kPacketTooBig;
        case 5: return echo::kBadRoute;
        default: return echo::kHostUnreachable;
      }
    case kSourceQuench: return echo::kSourceQuench;
    case kTimeExceeded: return code == 0 ? echo::kTtlExpiredTransit : echo::kTtlExpiredReassembly;
    case kParameterProblem: return echo::kParameterProblem;
    default: return echo::kGeneralFailure;
  }
}

class SocketEcho : public EchoHandle {
 public:
  SocketEcho(int fd, bool raw) : fd_(fd), raw_(raw) {}
  ~SocketEcho() override { close(fd_); }

  EchoReply Send(std::uint32_t address, std::string_view payload, int timeoutMs) override {
    const std::uint16_t id = NextEchoNumber();
    const std::uint16_t sequence = NextEchoNumber();
    if (raw_) AttachFilter(id);

    std::vector<std::uint8_t> packet(8 + payload.size());
    packet[0] = kEchoRequest;
    packet[4] = static_cast<std::uint8_t>(id >> 8);
    packet[5] = static_cast<std::uint8_t>(id);
    packet[6] = static_cast<std::uint8_t>(sequence >> 8);
    packet[7] = static_cast<std::uint8_t>(sequence);
    std::copy(payload.begin(), payload.end(), packet.begin() + 8);
    std::uint16_t sum = Checksum(packet.data(), packet.size());
    packet[2] = static_cast<std::uint8_t>(sum >> 8);
    packet[3] = static_cast<std::uint8_t>(sum);

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;

    EchoReply reply;
    const auto sent = std::chrono::steady_clock::now();
    const auto deadline = sent + std::chrono::milliseconds(timeoutMs);
    if (sendto(fd_, packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0) {
      reply.status = StatusOfErrno(errno);
      return reply;
    }
    std::uint8_t buffer[1500];
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() < 0) break;
      pollfd p{fd_, POLLIN, 0};
      int ready = poll(&p, 1, static_cast<int>(left.count()) + 1);
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) break;
      sockaddr_in from{};
      socklen_t fromSize = sizeof from;
      ssize_t got = recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
      auto now = std::chrono::steady_clock::now();
      if (got < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        reply.status = StatusOfErrno(errno);
        return reply;
      }
      int status = Match(buffer, static_cast<std::size_t>(got), from.sin_addr.s_addr, address, id,
                         sequence);
      if (status < 0) continue;  // someone else's packet
      reply.status = status;
      if (status == echo::kSuccess) {
        reply.replied = true;
        reply.roundTripMicroseconds =
            std::chrono::duration_cast<std::chrono::microseconds>(now - sent).count();
      }
      return reply;
    }
    reply.status = echo::kTimedOut;
    return reply;
  }

 private:
  // The status an arrived packet gives this echo, or -1 when it is not an
  // answer to it.
  int Match(const std::uint8_t* data, std::size_t size, std::uint32_t source, std::uint32_t address,
            std::uint16_t id, std::uint16_t sequence) const {
    const std::uint8_t* icmp = data;
    if (raw_) {
      if (size < 20) return -1;
      std::size_t headerSize = (data[0] & 0x0F) * 4u;
      if (headerSize < 20 || size < headerSize + 8) return -1;
      icmp = data + headerSize;
      size -= headerSize;
    }
    if (size < 8) return -1;
    if (icmp[0] == kEchoReply) {
      // A datagram socket's identifier is its own port, set by the kernel,
      // which delivers only the replies that carry it.
      if (raw_ && Read16(icmp + 4) != id) return -1;
      if (Read16(icmp + 6) != sequence || source != address) return -1;
      return echo::kSuccess;
    }
    if (!raw_) return -1;
    // An error message quotes the header of our request: check it was ours.
    const std::uint8_t* quoted = icmp + 8;
    std::size_t quotedSize = size - 8;
    if (quotedSize < 20) return -1;
    std::size_t quotedHeader = (quoted[0] & 0x0F) * 4u;
    if (quotedHeader < 20 || quotedSize < quotedHeader + 8) return -1;
    std::uint32_t quotedDestination;
    std::memcpy(&quotedDestination, quoted + 16, 4);
    const std::uint8_t* request = quoted + quotedHeader;
    if (quotedDestination != address || request[0] != kEchoRequest || Read16(request + 4) != id ||
        Read16(request + 6) != sequence) {
      return -1;
    }
    return StatusOfIcmpError(icmp[0], icmp[1]);
  }

  // Lets through echo replies with our identifier and the error messages
  // that may quote our request; everything else stays in the kernel.
  void AttachFilter(std::uint16_t id) {
    sock_filter code[] = {
        BPF_STMT(BPF_LDX | BPF_B | BPF_MSH, 0),           // X = IP header length
        BPF_STMT(BPF_LD | BPF_B | BPF_IND, 0),             // A = ICMP type
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kEchoReply, 0, 2),
        BPF_STMT(BPF_LD | BPF_H | BPF_IND, 4),             // A = identifier
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, id, 2, 3),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kUnreachable, 1, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kTimeExceeded, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, 0xFFFF),
        BPF_STMT(BPF_RET | BPF_K, 0),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof code / sizeof code[0]), code};
    // Without the filter the handle still works, only with more wake-ups.
    setsockopt(fd_, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program);
    // Packets that arrived before the filter are read and dropped.
    std::uint8_t scratch[1500];
    while (recv(fd_, scratch, sizeof scratch, MSG_DONTWAIT) > 0) {
    }
  }

  int fd_;
  bool raw_;
};

int OpenSocket(IcmpAccess access) {
  int type = access == IcmpAccess::kDatagram ? SOCK_DGRAM : SOCK_RAW;
  return socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
}

class SocketEchoService : public EchoService {
 public:
  explicit SocketEchoService(IcmpAccess access) : access_(access) {}
  std::unique_ptr<EchoHandle> Open() override {
    int fd = OpenSocket(access_);
    if (fd < 0) return nullptr;
    if (access_ == IcmpAccess::kRaw) {
      // Only the message types an echo can be answered with.
      icmp_filter filter{};
      filter.data = ~((1u << kEchoReply) | (1u << kUnreachable) | (1u << kTimeExceeded));
      setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    }
    return std::make_unique<SocketEcho>(fd, access_ == IcmpAccess::kRaw);
  }

 private:
  IcmpAccess access_;
};

}  // namespace

IcmpProbe ProbeIcmp() {
  const char* choice = std::getenv("HALVEX_ICMP");
  std::string only = choice ? choice : "";
  IcmpProbe probe;
  for (IcmpAccess access : {IcmpAccess::kDatagram, IcmpAccess::kRaw}) {
    if (only == "raw" && access == IcmpAccess::kDatagram) continue;
    if (only == "datagram" && access == IcmpAccess::kRaw) continue;
    int fd = OpenSocket(access);
    if (fd >= 0) {
      close(fd);
      probe.access = access;
      probe.problem.clear();
      return probe;
    }
    probe.problem = std::strerror(errno);
  }
  return probe;
}

std::string IcmpAdvice() {
  return " Run halvex as root, or give it the capability with 'setcap cap_net_raw+ep halvex', or "
         "allow datagram ICMP sockets with 'sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"'.";
}

std::unique_ptr<EchoService> MakeEchoService(IcmpAccess access) {
  if (access == IcmpAccess::kNone) return nullptr;
  return std::make_unique<SocketEchoService>(access);
}

std::optional<std::uint32_t> ParseDottedAddress(const std::string& text) {
  in_addr_t address = inet_addr(text.c_str());
  if (address == INADDR_NONE) return std::nullopt;
  return static_cast<std::uint32_t>(address);
}

std::optional<std::uint32_t> LookUpName(const std::string& name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return {};
  std::uint32_t address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return address;
}

}  // namespace halvex
