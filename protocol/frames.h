// Messages of the management protocol spoken on TCP port 856.
//
// Every message has a fixed size and every multi-byte integer is
// little-endian, whatever the host.  A connection runs:
//
//   server -> client  ServerHello    35 bytes
//   client -> server  LoginFrame     34 bytes
//   server -> client  LoginResult     3 bytes
//   client -> server  RequestFrame   42 bytes   (exactly one per connection)
//   server -> client  ReplyFrame      7 bytes
//   ...               the action's own exchange (DataBlocks, records, ...)
//   server -> client  ReplyFrame      7 bytes   (ends every action)
//
// ServerHello, 35 bytes:
//   0   25  free text; clients ignore it
//   25   8  challenge, the RC4 key of the login
//   33   2  protocol version, 0x0102 (bytes 02 01)
//
// LoginFrame, 34 bytes:
//   0    2  protocol version, 0x0102
//   2   32  password block (strncpy of the password into 32 bytes),
//           enciphered with RC4 keyed by the challenge
//
// LoginResult, 3 bytes:
//   0    2  tag, 0x0101 (bytes 01 01)
//   2    1  verdict: 0 = password rejected, anything else = accepted
//
// RequestFrame, 42 bytes:
//   0    2  tag, 0x0103 (bytes 03 01)
//   2    1  variant: 0 for action codes 1 and 2, 1 for every other code
//   3    1  action code (ActionCode below)
//   4    1  selector: script 1-7 or hotspot page 32-38, else 0
//   5    1  option flags: bit 0 apply, bit 1 reboot
//   6   32  wireless device name, NUL-terminated, at most 31 characters,
//           zero-filled; all zero when the action names no device
//   38   4  value, unsigned; meaning depends on the action code
//
// ReplyFrame, 7 bytes:
//   0    2  tag, not interpreted by the client
//   2    1  status: 1 = success, else an index into the status texts
//   3    4  value, unsigned: after the reply to the request, the number of
//           payload bytes the server is about to send
//
// DataBlock, 1462 bytes, in either direction:
//   0    2  length of the payload, 1 to 1460
//   2 1460  payload; bytes past the length carry no meaning
//   A block is always sent and received as the full 1462 bytes.

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace protocol {

inline constexpr std::uint16_t kDefaultPort = 856;

inline constexpr std::size_t kServerHelloSize = 35;
inline constexpr std::size_t kHelloTextSize = 25;
inline constexpr std::size_t kChallengeSize = 8;
inline constexpr std::size_t kLoginFrameSize = 34;
inline constexpr std::size_t kPasswordBlockSize = 32;
inline constexpr std::size_t kLoginResultSize = 3;
inline constexpr std::size_t kRequestFrameSize = 42;
inline constexpr std::size_t kDeviceNameSize = 32;
inline constexpr std::size_t kReplyFrameSize = 7;
inline constexpr std::size_t kDataBlockSize = 1462;
inline constexpr std::size_t kBlockPayloadSize = 1460;

// Field offsets, from the tables above.
namespace hello_field {
inline constexpr std::size_t kText = 0, kChallenge = 25, kVersion = 33;
}
namespace login_field {
inline constexpr std::size_t kVersion = 0, kPasswordBlock = 2;
}
namespace result_field {
inline constexpr std::size_t kTag = 0, kVerdict = 2;
}
namespace request_field {
inline constexpr std::size_t kTag = 0, kVariant = 2, kAction = 3, kSelector = 4, kFlags = 5,
                             kDevice = 6, kValue = 38;
}
namespace reply_field {
inline constexpr std::size_t kTag = 0, kStatus = 2, kValue = 3;
}
namespace block_field {
inline constexpr std::size_t kLength = 0, kPayload = 2;
}
static_assert(hello_field::kChallenge == kHelloTextSize &&
              hello_field::kVersion == hello_field::kChallenge + kChallengeSize &&
              hello_field::kVersion + 2 == kServerHelloSize);
static_assert(login_field::kPasswordBlock + kPasswordBlockSize == kLoginFrameSize);
static_assert(result_field::kVerdict + 1 == kLoginResultSize);
static_assert(request_field::kValue == request_field::kDevice + kDeviceNameSize &&
              request_field::kValue + 4 == kRequestFrameSize);
static_assert(reply_field::kValue + 4 == kReplyFrameSize);
static_assert(block_field::kPayload + kBlockPayloadSize == kDataBlockSize);

inline constexpr std::uint16_t kProtocolVersion = 0x0102;
inline constexpr std::uint16_t kLoginResultTag = 0x0101;
inline constexpr std::uint16_t kRequestTag = 0x0103;
// The client never reads the reply tag; servers send this one.
inline constexpr std::uint16_t kReplyTag = 0x0104;

// Action codes of the RequestFrame.  No other codes exist.
enum ActionCode : std::uint8_t {
  kActionNone = 0,  // only apply and/or reboot
  kActionDownloadConfig = 1,
  kActionDownloadScript = 2,
  kActionUploadConfig = 3,
  kActionUploadScript = 4,
  kActionDownloadPage = 5,
  kActionUploadPage = 6,
  kActionCardInfo = 16,
  kActionAssociations = 17,
  kActionListPpp = 18,
  kActionListHotspot = 19,
  kActionReceiveThroughput = 32,
  kActionTransmitThroughput = 33,
  kActionDisconnectPpp = 48,
  kActionDisconnectHotspotUser = 53,
  kActionDisconnectHotspotIp = 54,
  kActionSystemInfo = 64,
  kActionKernelLog = 65,
  kActionSupportFile = 66,
  kActionFirmware = 241,
};

inline constexpr std::uint8_t kOptionApply = 0x01;
inline constexpr std::uint8_t kOptionReboot = 0x02;

// Reply statuses.  1 is success; the others index the status texts.
enum ReplyStatus : std::uint8_t {
  kStatusFailed = 0,
  kStatusOk = 1,
  kStatusTooLarge = 2,
  kStatusTooSmall = 3,
  kStatusNotSupported = 4,
  kStatusNoDrive = 5,
  kStatusNoSession = 6,
};

// "Action Failed", "Action Ok", ...; "Unknown error N" above 6.
std::string StatusText(std::uint8_t status);

// Little-endian field access.
inline void PutU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutU64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint16_t GetU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}
inline std::uint64_t GetU64(const std::uint8_t* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}
inline std::int32_t GetI32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(GetU32(p));
}
inline std::int64_t GetI64(const std::uint8_t* p) {
  return static_cast<std::int64_t>(GetU64(p));
}

// Reads a NUL-terminated text from a fixed-width field, never past it.
std::string FieldText(const std::uint8_t* field, std::size_t width);
// Writes text into a fixed-width field: at most width-1 bytes, zero-filled.
void PutFieldText(std::uint8_t* field, std::size_t width, std::string_view text);

using Challenge = std::array<std::uint8_t, kChallengeSize>;
using PasswordDigest = std::array<std::uint8_t, kPasswordBlockSize>;

struct ServerHello {
  std::string text;  // at most 25 bytes; ignored by clients
  Challenge challenge{};
  std::uint16_t version = kProtocolVersion;
};
std::array<std::uint8_t, kServerHelloSize> EncodeServerHello(const ServerHello& hello);
ServerHello DecodeServerHello(std::span<const std::uint8_t, kServerHelloSize> bytes);

struct LoginFrame {
  std::uint16_t version = kProtocolVersion;
  PasswordDigest digest{};
};
std::array<std::uint8_t, kLoginFrameSize> EncodeLoginFrame(const LoginFrame& frame);
LoginFrame DecodeLoginFrame(std::span<const std::uint8_t, kLoginFrameSize> bytes);

struct LoginResult {
  std::uint16_t tag = kLoginResultTag;
  std::uint8_t verdict = 0;
};
std::array<std::uint8_t, kLoginResultSize> EncodeLoginResult(const LoginResult& result);
LoginResult DecodeLoginResult(std::span<const std::uint8_t, kLoginResultSize> bytes);

struct RequestFrame {
  std::uint16_t tag = kRequestTag;
  std::uint8_t variant = 1;  // filled from the action by MakeRequest
  std::uint8_t action = kActionNone;
  std::uint8_t selector = 0;
  std::uint8_t flags = 0;
  std::string device;  // at most 31 characters travel
  std::uint32_t value = 0;
};
// Fills the variant byte from the action code.
RequestFrame MakeRequest(std::uint8_t action, std::uint32_t value, std::uint8_t selector,
                         std::uint8_t flags, std::string_view device);
std::array<std::uint8_t, kRequestFrameSize> EncodeRequest(const RequestFrame& frame);
RequestFrame DecodeRequest(std::span<const std::uint8_t, kRequestFrameSize> bytes);

struct ReplyFrame {
  std::uint16_t tag = kReplyTag;
  std::uint8_t status = kStatusOk;
  std::uint32_t value = 0;
};
std::array<std::uint8_t, kReplyFrameSize> EncodeReply(const ReplyFrame& frame);
ReplyFrame DecodeReply(std::span<const std::uint8_t, kReplyFrameSize> bytes);

// A DataBlock carrying 1 to 1460 bytes; the rest of the payload is zero.
std::array<std::uint8_t, kDataBlockSize> EncodeBlock(std::span<const std::uint8_t> payload);
// The same, written in place (several blocks side by side make one send).
void EncodeBlockInto(std::span<std::uint8_t, kDataBlockSize> out,
                     std::span<const std::uint8_t> payload);
inline std::uint16_t BlockLength(const std::uint8_t* block) { return GetU16(block + block_field::kLength); }

}  // namespace protocol
