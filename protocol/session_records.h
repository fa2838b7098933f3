// The records and messages of the user-session actions: -list_ppp (action
// 18), -list_hot and -list_hot_simple (19), -dis_ppp (48), -dis_hot_user
// (53), -dis_hot_ip (54).
//
// The lists are session records ended by a record whose end flag is set;
// that record carries no session.  A disconnect is one message from the
// client after the first reply.
//
// All multi-byte numbers are little-endian.  Texts are NUL-terminated
// inside their field and never read past it.  Bytes marked "not read" are
// zero when we send them.
//
// PppSessionRecord, 326 bytes:
//   0     1  not read
//   1     1  end flag: not 0 = end of the list, no session
//   2   256  user name, text
//   258  16  session type, text ("pppoe", "pptp")
//   274   8  port, text
//   282  20  IP address, dotted text
//   302   8  received traffic counter, signed 64-bit
//   310   4  receive rate, bytes per second, unsigned
//   314   8  transmitted traffic counter, signed 64-bit
//   322   4  transmit rate, bytes per second, unsigned
//
// HotspotSessionRecord, 316 bytes:
//   0     1  not read
//   1     1  end flag: not 0 = end of the list, no session
//   2   256  user name, text
//   258  16  IP address, dotted text
//   274  18  MAC address, text
//   292   4  received traffic counter, unsigned
//   296   4  not read
//   300   4  transmitted traffic counter, unsigned
//   304   4  not read
//   308   4  time online, seconds, unsigned
//   312   4  time limit of the session, seconds, unsigned; 0 = no limit
//
// User name message (actions 48 and 53), 4 + n bytes:
//   0     4  n, the name's length in bytes, unsigned
//   4     n  the name as typed, no terminating NUL; n is at most 255
//
// Address message (action 54), 4 bytes: the IPv4 address in network byte
// order, first number of the dotted form first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace protocol {

inline constexpr std::size_t kPppSessionRecordSize = 326;
inline constexpr std::size_t kHotspotSessionRecordSize = 316;
inline constexpr std::size_t kSessionUserSize = 256;
inline constexpr std::size_t kMaxUserNameLength = 255;
inline constexpr std::size_t kAddressMessageSize = 4;

// Field offsets and text widths, from the tables above.
namespace ppp_field {
inline constexpr std::size_t kEnd = 1, kUser = 2, kType = 258, kPort = 274, kAddress = 282,
                             kReceived = 302, kReceiveRate = 310, kTransmitted = 314,
                             kTransmitRate = 322;
inline constexpr std::size_t kTypeSize = 16, kPortSize = 8, kAddressSize = 20;
}
namespace hotspot_field {
inline constexpr std::size_t kEnd = 1, kUser = 2, kAddress = 258, kMac = 274, kReceived = 292,
                             kTransmitted = 300, kOnline = 308, kLimit = 312;
inline constexpr std::size_t kAddressSize = 16, kMacSize = 18;
}
namespace user_name_field {
inline constexpr std::size_t kLength = 0, kName = 4;
}
static_assert(ppp_field::kType == ppp_field::kUser + kSessionUserSize &&
              ppp_field::kPort == ppp_field::kType + ppp_field::kTypeSize &&
              ppp_field::kAddress == ppp_field::kPort + ppp_field::kPortSize &&
              ppp_field::kReceived == ppp_field::kAddress + ppp_field::kAddressSize &&
              ppp_field::kTransmitRate + 4 == kPppSessionRecordSize);
static_assert(hotspot_field::kAddress == hotspot_field::kUser + kSessionUserSize &&
              hotspot_field::kMac == hotspot_field::kAddress + hotspot_field::kAddressSize &&
              hotspot_field::kReceived == hotspot_field::kMac + hotspot_field::kMacSize &&
              hotspot_field::kLimit + 4 == kHotspotSessionRecordSize);

struct PppSessionRecord {
  std::uint8_t end = 0;
  std::string user;     // at most 255 bytes travel
  std::string type;     // at most 15
  std::string port;     // at most 7
  std::string address;  // at most 19
  std::int64_t received = 0;
  std::uint32_t receiveRate = 0;
  std::int64_t transmitted = 0;
  std::uint32_t transmitRate = 0;

  bool operator==(const PppSessionRecord&) const = default;
};

struct HotspotSessionRecord {
  std::uint8_t end = 0;
  std::string user;     // at most 255 bytes travel
  std::string address;  // at most 15
  std::string mac;      // at most 17
  std::uint32_t received = 0;
  std::uint32_t transmitted = 0;
  std::uint32_t online = 0;
  std::uint32_t limit = 0;

  bool operator==(const HotspotSessionRecord&) const = default;
};

PppSessionRecord DecodePppSession(std::span<const std::uint8_t, kPppSessionRecordSize> bytes);
std::array<std::uint8_t, kPppSessionRecordSize> EncodePppSession(const PppSessionRecord& r);
HotspotSessionRecord DecodeHotspotSession(
    std::span<const std::uint8_t, kHotspotSessionRecordSize> bytes);
std::array<std::uint8_t, kHotspotSessionRecordSize> EncodeHotspotSession(
    const HotspotSessionRecord& r);

// The user name message, as typed (the caller keeps it within 255 bytes).
std::vector<std::uint8_t> EncodeUserName(std::string_view name);
// address is in network byte order, as inet_addr gives it.
std::array<std::uint8_t, kAddressMessageSize> EncodeAddressMessage(std::uint32_t address);

}  // namespace protocol
