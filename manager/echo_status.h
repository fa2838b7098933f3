// Status codes of an ICMP echo, as the platform's echo service reports them
// (0 is success, 11001 to 11255 the IP status values), and their texts.
#pragma once

#include <string>

namespace halvex {

namespace echo {
inline constexpr int kSuccess = 0;
inline constexpr int kBadAddress = -1;
inline constexpr int kBufferTooSmall = 11001;
inline constexpr int kNetUnreachable = 11002;
inline constexpr int kHostUnreachable = 11003;
inline constexpr int kProtocolUnreachable = 11004;
inline constexpr int kPortUnreachable = 11005;
inline constexpr int kNoResources = 11006;
inline constexpr int kPacketTooBig = 11009;
inline constexpr int kTimedOut = 11010;
inline constexpr int kBadRoute = 11012;
inline constexpr int kTtlExpiredTransit = 11013;
inline constexpr int kTtlExpiredReassembly = 11014;
inline constexpr int kParameterProblem = 11015;
inline constexpr int kSourceQuench = 11016;
inline constexpr int kBadDestination = 11018;
inline constexpr int kGeneralFailure = 11050;
inline constexpr int kPingTimeout = 3000;
}  // namespace echo

// The text of a status code, space-padded to 24 characters and cut there.
// An unknown code gives "Unknown Err " and the code.
std::string statusText(int status);

}  // namespace halvex
