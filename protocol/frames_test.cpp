#include "frames.h"

#include <gtest/gtest.h>

#include <vector>

#include "golden.h"

namespace protocol {
namespace {

using golden::Bytes;
using golden::Fixed;
using golden::Hex;

// Each message kind: a value whose fields are all distinct and non-zero,
// and its bytes written out by hand from the layout table.  Encoding the
// value gives the bytes; decoding the bytes gives the value.

TEST(GoldenFrames, ServerHello) {
  const auto bytes = Hex(
      "48 65 6c 6c 6f 00*20 "    // 0  text "Hello", zero-filled to 25
      "11 22 33 44 55 66 77 88 "  // 25 challenge
      "02 01");                   // 33 version
  ServerHello hello;
  hello.text = "Hello";
  hello.challenge = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
  EXPECT_EQ(Bytes(EncodeServerHello(hello)), bytes);
  ServerHello back = DecodeServerHello(Fixed<kServerHelloSize>(bytes));
  EXPECT_EQ(back.text, "Hello");
  EXPECT_EQ(back.challenge, hello.challenge);
  EXPECT_EQ(back.version, 0x0102);
}

TEST(GoldenFrames, LoginFrame) {
  const auto bytes = Hex(
      "02 01 "  // 0 version
      "a0 a1 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af "
      "b0 b1 b2 b3 b4 b5 b6 b7 b8 b9 ba bb bc bd be bf");  // 2 password block
  LoginFrame frame;
  for (std::size_t i = 0; i < frame.digest.size(); ++i)
    frame.digest[i] = static_cast<std::uint8_t>(0xa0 + i);
  EXPECT_EQ(Bytes(EncodeLoginFrame(frame)), bytes);
  LoginFrame back = DecodeLoginFrame(Fixed<kLoginFrameSize>(bytes));
  EXPECT_EQ(back.version, 0x0102);
  EXPECT_EQ(back.digest, frame.digest);
}

TEST(GoldenFrames, LoginResult) {
  const auto bytes = Hex("01 01 07");  // tag, verdict
  EXPECT_EQ(Bytes(EncodeLoginResult({kLoginResultTag, 7})), bytes);
  LoginResult back = DecodeLoginResult(Fixed<kLoginResultSize>(bytes));
  EXPECT_EQ(back.tag, 0x0101);
  EXPECT_EQ(back.verdict, 7);
}

TEST(GoldenFrames, RequestFrame) {
  const auto bytes = Hex(
      "03 01 "                   // 0  tag
      "01 "                      // 2  variant
      "11 "                      // 3  action 17
      "24 "                      // 4  selector
      "03 "                      // 5  flags: apply and reboot
      "77 6c 61 6e 31 00*27 "    // 6  device "wlan1"
      "d4 c3 b2 a1");            // 38 value 0xa1b2c3d4
  RequestFrame frame;
  frame.variant = 1;
  frame.action = 17;
  frame.selector = 0x24;
  frame.flags = kOptionApply | kOptionReboot;
  frame.device = "wlan1";
  frame.value = 0xa1b2c3d4;
  EXPECT_EQ(Bytes(EncodeRequest(frame)), bytes);
  RequestFrame back = DecodeRequest(Fixed<kRequestFrameSize>(bytes));
  EXPECT_EQ(back.tag, 0x0103);
  EXPECT_EQ(back.variant, 1);
  EXPECT_EQ(back.action, 17);
  EXPECT_EQ(back.selector, 0x24);
  EXPECT_EQ(back.flags, 3);
  EXPECT_EQ(back.device, "wlan1");
  EXPECT_EQ(back.value, 0xa1b2c3d4u);
}

TEST(GoldenFrames, ReplyFrame) {
  const auto bytes = Hex("04 01 05 0d 0c 0b 0a");  // tag, status, value 0x0a0b0c0d
  EXPECT_EQ(Bytes(EncodeReply({kReplyTag, 5, 0x0a0b0c0d})), bytes);
  ReplyFrame back = DecodeReply(Fixed<kReplyFrameSize>(bytes));
  EXPECT_EQ(back.tag, 0x0104);
  EXPECT_EQ(back.status, 5);
  EXPECT_EQ(back.value, 0x0a0b0c0du);
}

TEST(GoldenFrames, DataBlock) {
  const auto shortBlock = Hex("03 00 61 62 63 00*1457");  // length 3, "abc"
  const std::string abc = "abc";
  EXPECT_EQ(Bytes(EncodeBlock(std::span(reinterpret_cast<const std::uint8_t*>(abc.data()), 3))),
            shortBlock);
  EXPECT_EQ(BlockLength(shortBlock.data()), 3);

  const auto fullBlock = Hex("b4 05 5a*1460");  // length 1460
  const std::vector<std::uint8_t> payload(1460, 0x5a);
  EXPECT_EQ(Bytes(EncodeBlock(payload)), fullBlock);
  EXPECT_EQ(BlockLength(fullBlock.data()), 1460);
}

TEST(RequestFrame, ScriptDownloadUsesVariantZero) {
  // -dscr fw out.txt
  auto bytes = EncodeRequest(MakeRequest(kActionDownloadScript, 0, 2, 0, ""));
  std::vector<std::uint8_t> expected = {0x03, 0x01, 0x00, 0x02, 0x02, 0x00};
  expected.resize(42, 0);
  EXPECT_EQ(Bytes(bytes), expected);
}

TEST(RequestFrame, AssociationsCarryDeviceAndIndex) {
  // -ai wlan1 5 -a
  auto bytes = EncodeRequest(MakeRequest(kActionAssociations, 5, 0, kOptionApply, "wlan1"));
  std::vector<std::uint8_t> expected = {0x03, 0x01, 0x01, 17, 0x00, 0x01, 'w', 'l', 'a', 'n', '1'};
  expected.resize(38, 0);  // 27 zero bytes after the name
  expected.insert(expected.end(), {5, 0, 0, 0});
  EXPECT_EQ(Bytes(bytes), expected);
}

TEST(RequestFrame, VariantIsOneForEveryOtherAction) {
  EXPECT_EQ(MakeRequest(kActionNone, 0, 0, kOptionReboot, "").variant, 1);
  EXPECT_EQ(MakeRequest(kActionDownloadConfig, 0, 0, 0, "").variant, 0);
  EXPECT_EQ(MakeRequest(kActionFirmware, 0, 0, 0, "").variant, 1);
}

TEST(RequestFrame, DeviceNameKeepsItsTerminator) {
  std::string longName(40, 'w');
  auto bytes = EncodeRequest(MakeRequest(kActionCardInfo, 0, 0, 0, longName));
  EXPECT_EQ(bytes[6 + 30], 'w');
  EXPECT_EQ(bytes[6 + 31], 0);
  RequestFrame back = DecodeRequest(bytes);
  EXPECT_EQ(back.device, std::string(31, 'w'));
}

TEST(RequestFrame, RoundTrip) {
  RequestFrame frame = MakeRequest(kActionFirmware, 0xA1B2C3D4, 7, 3, "wpci1");
  RequestFrame back = DecodeRequest(EncodeRequest(frame));
  EXPECT_EQ(back.tag, kRequestTag);
  EXPECT_EQ(back.action, kActionFirmware);
  EXPECT_EQ(back.selector, 7);
  EXPECT_EQ(back.flags, 3);
  EXPECT_EQ(back.device, "wpci1");
  EXPECT_EQ(back.value, 0xA1B2C3D4u);
}

TEST(ReplyFrame, ValueIsLittleEndian) {
  auto bytes = EncodeReply({kReplyTag, kStatusOk, 3000});
  EXPECT_EQ(bytes[2], 1);
  EXPECT_EQ(bytes[3], 0xB8);
  EXPECT_EQ(bytes[4], 0x0B);
  EXPECT_EQ(bytes[5], 0);
  EXPECT_EQ(bytes[6], 0);
  EXPECT_EQ(DecodeReply(bytes).value, 3000u);
}

TEST(StatusText, TableAndUnknownStatuses) {
  EXPECT_EQ(StatusText(0), "Action Failed");
  EXPECT_EQ(StatusText(2), "File too large");
  EXPECT_EQ(StatusText(4), "Command not supported");
  EXPECT_EQ(StatusText(6), "No active session by this name");
  EXPECT_EQ(StatusText(9), "Unknown error 9");
  EXPECT_EQ(StatusText(255), "Unknown error 255");
}

TEST(DataBlock, ShortPayloadStillFillsTheWholeBlock) {
  std::vector<std::uint8_t> ten(10, 0xAA);
  auto block = EncodeBlock(ten);
  EXPECT_EQ(block.size(), 1462u);
  EXPECT_EQ(BlockLength(block.data()), 10);
  EXPECT_EQ(block[2 + 9], 0xAA);
  EXPECT_EQ(block[2 + 10], 0);
}

TEST(LoginMessages, HelloCarriesChallengeAndVersion) {
  ServerHello hello;
  hello.text = "a banner longer than twenty-five bytes";
  hello.challenge = {1, 2, 3, 4, 5, 6, 7, 8};
  auto bytes = EncodeServerHello(hello);
  EXPECT_EQ(bytes[25], 1);
  EXPECT_EQ(bytes[32], 8);
  EXPECT_EQ(bytes[33], 0x02);
  EXPECT_EQ(bytes[34], 0x01);
  ServerHello back = DecodeServerHello(bytes);
  EXPECT_EQ(back.text.size(), 25u);
  EXPECT_EQ(back.challenge, hello.challenge);

  auto result = EncodeLoginResult({kLoginResultTag, 5});
  EXPECT_EQ(Bytes(result), (std::vector<std::uint8_t>{1, 1, 5}));
}

TEST(FieldText, StopsAtTheFieldEndWithoutTerminator) {
  std::uint8_t field[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(FieldText(field, 4), "abcd");
  std::uint8_t inner[4] = {'a', 0, 'c', 'd'};
  EXPECT_EQ(FieldText(inner, 4), "a");
}

}  // namespace
}  // namespace protocol
