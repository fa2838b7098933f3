#include "digest.h"

#include <gtest/gtest.h>

#include <vector>

#include "frames.h"
#include "golden.h"
#include "rc4.h"

namespace protocol {
namespace {

using golden::Bytes;
using golden::Fixed;
using golden::Hex;

std::vector<std::uint8_t> Keystream(std::vector<std::uint8_t> key, std::size_t count) {
  std::vector<std::uint8_t> out(count, 0);
  Rc4(key).Apply(out);
  return out;
}

// One whole login, every byte written out by hand: the hello of a server
// whose challenge is 3a 91 5c 07 e2 48 b6 1d, the client's answer for the
// password "BlueOx-17", and the verdict.
TEST(LoginExchange, GoldenBytes) {
  const auto hello = Hex(
      "75 6e 69 74 73 69 6d 20 72 65 61 64 79 00*12 "  // "unitsim ready", 25 bytes
      "3a 91 5c 07 e2 48 b6 1d "                       // challenge
      "02 01");                                        // version 0x0102
  const auto login = Hex(
      "02 01 "  // version
      "27 a8 9c 12 53 c3 db 6a 58 2d f1 b1 9b 6f e3 71 "
      "f4 1a 86 d9 d1 c1 b8 34 b6 63 94 f2 68 35 25 a8");  // the enciphered block
  const auto accepted = Hex("01 01 01");

  ServerHello decoded = DecodeServerHello(Fixed<kServerHelloSize>(hello));
  EXPECT_EQ(decoded.text, "unitsim ready");
  EXPECT_EQ(decoded.version, kProtocolVersion);
  EXPECT_EQ(Bytes(decoded.challenge), Hex("3a 91 5c 07 e2 48 b6 1d"));

  LoginFrame frame;
  frame.digest = MakePasswordDigest("BlueOx-17", decoded.challenge);
  EXPECT_EQ(Bytes(EncodeLoginFrame(frame)), login);
  EXPECT_EQ(Bytes(EncodeLoginResult({kLoginResultTag, 1})), accepted);
}

TEST(PasswordDigest, ThirtyTwoCharactersFillTheBlockWithoutTerminator) {
  Challenge challenge = {0x3a, 0x91, 0x5c, 0x07, 0xe2, 0x48, 0xb6, 0x1d};
  EXPECT_EQ(Bytes(MakePasswordDigest("a-password-of-thirty-two-bytes!!", challenge)),
            Hex("04 e9 99 16 6f c8 81 34 1d 49 dc de fd 42 97 19 "
                "9d 68 f2 a0 fc b5 cf 5b 9b 01 ed 86 0d 46 04 89"));
}

TEST(PasswordDigest, EmptyPasswordIsTheKeystreamOfTheChallenge) {
  Challenge challenge = {1, 2, 3, 4, 5, 6, 7, 8};
  PasswordDigest digest = MakePasswordDigest("", challenge);
  std::vector<std::uint8_t> expected = Keystream({1, 2, 3, 4, 5, 6, 7, 8}, 32);
  EXPECT_EQ(std::vector<std::uint8_t>(digest.begin(), digest.end()), expected);
}

TEST(PasswordDigest, OnlyTheFirst32CharactersCount) {
  Challenge challenge = {9, 8, 7, 6, 5, 4, 3, 2};
  std::string base(32, 'p');
  EXPECT_EQ(MakePasswordDigest(base + "tail", challenge),
            MakePasswordDigest(base + "other", challenge));
  EXPECT_NE(MakePasswordDigest(base.substr(0, 31), challenge),
            MakePasswordDigest(base, challenge));
}

TEST(PasswordDigest, DependsOnTheChallenge) {
  EXPECT_NE(MakePasswordDigest("BlueOx", Challenge{1, 2, 3, 4, 5, 6, 7, 8}),
            MakePasswordDigest("BlueOx", Challenge{1, 2, 3, 4, 5, 6, 7, 9}));
}

}  // namespace
}  // namespace protocol
