// PPP and hotspot user sessions: -list_ppp (action 18), -list_hot and
// -list_hot_simple (19), -dis_ppp (48), -dis_hot_user (53), -dis_hot_ip (54).
//
// For the lists, the server sends session records after the first
// ReplyFrame with status 1, ended by a record whose end flag is set; that
// record carries no session and is not printed.  For the disconnects the
// client sends one message after the first reply and the server answers
// with the final ReplyFrame ("No active session by this name" when nothing
// matched).
//
// All multi-byte numbers are little-endian.  Texts are NUL-terminated
// inside their field and never read past it.
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

#include "connection.h"

namespace velkor {

inline constexpr std::size_t kPppSessionRecordSize = 326;
inline constexpr std::size_t kHotspotSessionRecordSize = 316;
inline constexpr std::size_t kSessionUserSize = 256;
inline constexpr std::size_t kMaxUserNameLength = 255;

struct PppSessionRecord {
  std::uint8_t end = 0;
  std::string user;     // at most 255 bytes travel
  std::string type;     // at most 15
  std::string port;     // at most 7
  std::string address;  // at most 19
  std::int64_t received = 0;
  std::uint32_t receive_rate = 0;
  std::int64_t transmitted = 0;
  std::uint32_t transmit_rate = 0;
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
};

PppSessionRecord DecodePppSession(std::span<const std::uint8_t, kPppSessionRecordSize> bytes);
std::array<std::uint8_t, kPppSessionRecordSize> EncodePppSession(const PppSessionRecord& r);
HotspotSessionRecord DecodeHotspotSession(
    std::span<const std::uint8_t, kHotspotSessionRecordSize> bytes);
std::array<std::uint8_t, kHotspotSessionRecordSize> EncodeHotspotSession(
    const HotspotSessionRecord& r);

// "0s" for 0 or less, else "1d 1h 1m 1s" with the parts that are not 0
// (a whole hour gives "1h " with its trailing blank).
std::string DurationText(std::int32_t seconds);

// The printed forms, each line with its newline.
std::string PppListHeader();
std::string PppRowText(const PppSessionRecord& r);
std::string HotspotFullText(const HotspotSessionRecord& r, int number);
std::string HotspotSimpleText(const HotspotSessionRecord& r);

// The list exchanges; false when a record cannot be received completely.
bool ListPppSessions(Connection& connection);
bool ListHotspotSessions(Connection& connection, bool simple);

// The disconnect messages, sent with one SendAll each.  On a short send they
// print "unable to send ppp username to server" or "unable to send hotspot
// ipaddr to server" and return false.
std::vector<std::uint8_t> EncodeUserName(std::string_view name);
bool SendUserName(Connection& connection, std::string_view name);
// address is in network byte order, as inet_addr gives it.
bool SendHotspotAddress(Connection& connection, std::uint32_t address);

}  // namespace velkor
