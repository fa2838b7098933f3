#include "frames.h"

#include <algorithm>
#include <cstring>

namespace protocol {

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
  std::memcpy(out.data() + hello_field::kText, hello.text.data(),
              std::min(hello.text.size(), kHelloTextSize));
  std::copy(hello.challenge.begin(), hello.challenge.end(), out.begin() + hello_field::kChallenge);
  PutU16(out.data() + hello_field::kVersion, hello.version);
  return out;
}

ServerHello DecodeServerHello(std::span<const std::uint8_t, kServerHelloSize> bytes) {
  ServerHello hello;
  hello.text = FieldText(bytes.data() + hello_field::kText, kHelloTextSize);
  std::copy_n(bytes.begin() + hello_field::kChallenge, kChallengeSize, hello.challenge.begin());
  hello.version = GetU16(bytes.data() + hello_field::kVersion);
  return hello;
}

std::array<std::uint8_t, kLoginFrameSize> EncodeLoginFrame(const LoginFrame& frame) {
  std::array<std::uint8_t, kLoginFrameSize> out{};
  PutU16(out.data() + login_field::kVersion, frame.version);
  std::copy(frame.digest.begin(), frame.digest.end(), out.begin() + login_field::kPasswordBlock);
  return out;
}

LoginFrame DecodeLoginFrame(std::span<const std::uint8_t, kLoginFrameSize> bytes) {
  LoginFrame frame;
  frame.version = GetU16(bytes.data() + login_field::kVersion);
  std::copy_n(bytes.begin() + login_field::kPasswordBlock, kPasswordBlockSize,
              frame.digest.begin());
  return frame;
}

std::array<std::uint8_t, kLoginResultSize> EncodeLoginResult(const LoginResult& result) {
  std::array<std::uint8_t, kLoginResultSize> out{};
  PutU16(out.data() + result_field::kTag, result.tag);
  out[result_field::kVerdict] = result.verdict;
  return out;
}

LoginResult DecodeLoginResult(std::span<const std::uint8_t, kLoginResultSize> bytes) {
  return LoginResult{GetU16(bytes.data() + result_field::kTag), bytes[result_field::kVerdict]};
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
  using namespace request_field;
  PutU16(out.data() + kTag, frame.tag);
  out[kVariant] = frame.variant;
  out[kAction] = frame.action;
  out[kSelector] = frame.selector;
  out[kFlags] = frame.flags;
  PutFieldText(out.data() + kDevice, kDeviceNameSize, frame.device);
  PutU32(out.data() + kValue, frame.value);
  return out;
}

RequestFrame DecodeRequest(std::span<const std::uint8_t, kRequestFrameSize> bytes) {
  RequestFrame frame;
  using namespace request_field;
  frame.tag = GetU16(bytes.data() + kTag);
  frame.variant = bytes[kVariant];
  frame.action = bytes[kAction];
  frame.selector = bytes[kSelector];
  frame.flags = bytes[kFlags];
  frame.device = FieldText(bytes.data() + kDevice, kDeviceNameSize);
  frame.value = GetU32(bytes.data() + kValue);
  return frame;
}

std::array<std::uint8_t, kReplyFrameSize> EncodeReply(const ReplyFrame& frame) {
  std::array<std::uint8_t, kReplyFrameSize> out{};
  PutU16(out.data() + reply_field::kTag, frame.tag);
  out[reply_field::kStatus] = frame.status;
  PutU32(out.data() + reply_field::kValue, frame.value);
  return out;
}

ReplyFrame DecodeReply(std::span<const std::uint8_t, kReplyFrameSize> bytes) {
  return ReplyFrame{GetU16(bytes.data() + reply_field::kTag), bytes[reply_field::kStatus],
                    GetU32(bytes.data() + reply_field::kValue)};
}

void EncodeBlockInto(std::span<std::uint8_t, kDataBlockSize> out,
                     std::span<const std::uint8_t> payload) {
  std::size_t length = std::min(payload.size(), kBlockPayloadSize);
  PutU16(out.data() + block_field::kLength, static_cast<std::uint16_t>(length));
  std::copy_n(payload.begin(), length, out.begin() + block_field::kPayload);
  std::fill(out.begin() + block_field::kPayload + static_cast<std::ptrdiff_t>(length), out.end(), 0);
}

std::array<std::uint8_t, kDataBlockSize> EncodeBlock(std::span<const std::uint8_t> payload) {
  std::array<std::uint8_t, kDataBlockSize> out;
  EncodeBlockInto(out, payload);
  return out;
}

}  // namespace protocol
