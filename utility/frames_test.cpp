#include "frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace velkor {
namespace {

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, N>& a) {
  return std::vector<std::uint8_t>(a.begin(), a.end());
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
  std::string long_name(40, 'w');
  auto bytes = EncodeRequest(MakeRequest(kActionCardInfo, 0, 0, 0, long_name));
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
}  // namespace velkor
