#include "frames.h"

#include <algorithm>
#include <cstring>

namespace velkor {

bool IsActionCode(std::uint8_t code) {
  switch (code) {
    case kActionNone:
    case kActionDownloadConfig:
    case kActionDownloadScript:
    case kActionUploadConfig:
    case kActionUploadScript:
    case kActionDownloadPage:
    case kActionUploadPage:
    case kActionCardInfo:
    case kActionAssociations:
    case kActionListPpp:
    case kActionListHotspot:
    case kActionReceiveThroughput:
    case kActionTransmitThroughput:
    case kActionDisconnectPpp:
    case kActionDisconnectHotspotUser:
    case kActionDisconnectHotspotIp:
    case kActionSystemInfo:
    case kActionKernelLog:
    case kActionSupportFile:
    case kActionFirmware:
      return true;
    default:
      return false;
  }
}

std::string StatusText(std::uint8_t status) {
  static const char* const kTexts[] = {
      "Action Failed",        "Action Ok",
      "File too large",       "File too small",
      "Command not supported", "No prepared hard drive found",
      "No active session by this name",
  };
  if (status < std::size(kTexts)) return kTexts[status];
  return "Unknown error " + std::to_string(status);
}

std::string FieldText(const std::uint8_t* field, std::size_t width) {
  const auto* end = static_cast<const std::uint8_t*>(std::memchr(field, 0, width));
  std::size_t length = end ? static_cast<std::size_t>(end - field) : width;
  return std::string(reinterpret_cast<const char*>(field), length);
}

void PutFieldText(std::uint8_t* field, std::size_t width, std::string_view text) {
  std::memset(field, 0, width);
  if (width == 0) return;
  std::memcpy(field, text.data(), std::min(text.size(), width - 1));
}

std::array<std::uint8_t, kServerHelloSize> EncodeServerHello(const ServerHello& hello) {
  std::array<std::uint8_t, kServerHelloSize> out{};
  std::memcpy(out.data(), hello.text.data(), std::min(hello.text.size(), kHelloTextSize));
  std::copy(hello.challenge.begin(), hello.challenge.end(), out.begin() + kHelloTextSize);
  PutU16(out.data() + 33, hello.version);
  return out;
}

ServerHello DecodeServerHello(std::span<const std::uint8_t, kServerHelloSize> bytes) {
  ServerHello hello;
  hello.text = FieldText(bytes.data(), kHelloTextSize);
  std::copy_n(bytes.begin() + kHelloTextSize, kChallengeSize, hello.challenge.begin());
  hello.version = GetU16(bytes.data() + 33);
  return hello;
}

std::array<std::uint8_t, kLoginFrameSize> EncodeLoginFrame(const LoginFrame& frame) {
  std::array<std::uint8_t, kLoginFrameSize> out{};
  PutU16(out.data(), frame.version);
  std::copy(frame.digest.begin(), frame.digest.end(), out.begin() + 2);
  return out;
}

LoginFrame DecodeLoginFrame(std::span<const std::uint8_t, kLoginFrameSize> bytes) {
  LoginFrame frame;
  frame.version = GetU16(bytes.data());
  std::copy_n(bytes.begin() + 2, kPasswordBlockSize, frame.digest.begin());
  return frame;
}

std::array<std::uint8_t, kLoginResultSize> EncodeLoginResult(const LoginResult& result) {
  std::array<std::uint8_t, kLoginResultSize> out{};
  PutU16(out.data(), result.tag);
  out[2] = result.verdict;
  return out;
}

LoginResult DecodeLoginResult(std::span<const std::uint8_t, kLoginResultSize> bytes) {
  return LoginResult{GetU16(bytes.data()), bytes[2]};
}

RequestFrame MakeRequest(std::uint8_t action, std::uint32_t value, std::uint8_t selector,
                         std::uint8_t flags, std::string_view device) {
  RequestFrame frame;
  frame.variant =
      (action == kActionDownloadConfig || action == kActionDownloadScript) ? 0 : 1;
  frame.action = action;
  frame.selector = selector;
  frame.flags = flags;
  frame.device = std::string(device.substr(0, kDeviceNameSize - 1));
  frame.value = value;
  return frame;
}

std::array<std::uint8_t, kRequestFrameSize> EncodeRequest(const RequestFrame& frame) {
  std::array<std::uint8_t, kRequestFrameSize> out{};
  PutU16(out.data(), frame.tag);
  out[2] = frame.variant;
  out[3] = frame.action;
  out[4] = frame.selector;
  out[5] = frame.flags;
  PutFieldText(out.data() + 6, kDeviceNameSize, frame.device);
  PutU32(out.data() + 38, frame.value);
  return out;
}

RequestFrame DecodeRequest(std::span<const std::uint8_t, kRequestFrameSize> bytes) {
  RequestFrame frame;
  frame.tag = GetU16(bytes.data());
  frame.variant = bytes[2];
  frame.action = bytes[3];
  frame.selector = bytes[4];
  frame.flags = bytes[5];
  frame.device = FieldText(bytes.data() + 6, kDeviceNameSize);
  frame.value = GetU32(bytes.data() + 38);
  return frame;
}

std::array<std::uint8_t, kReplyFrameSize> EncodeReply(const ReplyFrame& frame) {
  std::array<std::uint8_t, kReplyFrameSize> out{};
  PutU16(out.data(), frame.tag);
  out[2] = frame.status;
  PutU32(out.data() + 3, frame.value);
  return out;
}

ReplyFrame DecodeReply(std::span<const std::uint8_t, kReplyFrameSize> bytes) {
  return ReplyFrame{GetU16(bytes.data()), bytes[2], GetU32(bytes.data() + 3)};
}

std::array<std::uint8_t, kDataBlockSize> EncodeBlock(std::span<const std::uint8_t> payload) {
  std::array<std::uint8_t, kDataBlockSize> out{};
  std::size_t length = std::min(payload.size(), kBlockPayloadSize);
  PutU16(out.data(), static_cast<std::uint16_t>(length));
  std::copy_n(payload.begin(), length, out.begin() + 2);
  return out;
}

}  // namespace velkor
