#include "rc4.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace protocol {
namespace {

// Keystream of an RC4 instance at a given offset (RFC 6229 layout).
std::vector<std::uint8_t> Keystream(std::vector<std::uint8_t> key, std::size_t offset,
                                    std::size_t count) {
  Rc4 rc4(key);
  std::vector<std::uint8_t> skip(offset, 0);
  rc4.Apply(skip);
  std::vector<std::uint8_t> out(count, 0);
  rc4.Apply(out);
  return out;
}

TEST(Rc4, Rfc6229SixtyFourBitKeys) {
  const std::vector<std::uint8_t> key1 = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(Keystream(key1, 0, 16),
            (std::vector<std::uint8_t>{0x97, 0xab, 0x8a, 0x1b, 0xf0, 0xaf, 0xb9, 0x61, 0x32,
                                       0xf2, 0xf6, 0x72, 0x58, 0xda, 0x15, 0xa8}));
  EXPECT_EQ(Keystream(key1, 16, 16),
            (std::vector<std::uint8_t>{0x82, 0x63, 0xef, 0xdb, 0x45, 0xc4, 0xa1, 0x86, 0x84,
                                       0xef, 0x87, 0xe6, 0xb1, 0x9e, 0x5b, 0x09}));
  EXPECT_EQ(Keystream(key1, 240, 16),
            (std::vector<std::uint8_t>{0x96, 0x36, 0xeb, 0xc9, 0x84, 0x19, 0x26, 0xf4, 0xf7,
                                       0xd1, 0xf3, 0x62, 0xbd, 0xdf, 0x6e, 0x18}));

  const std::vector<std::uint8_t> key2 = {0x64, 0x19, 0x10, 0x83, 0x32, 0x22, 0x77, 0x2a};
  EXPECT_EQ(Keystream(key2, 0, 16),
            (std::vector<std::uint8_t>{0xbb, 0xf6, 0x09, 0xde, 0x94, 0x13, 0x17, 0x2d, 0x07,
                                       0x66, 0x0c, 0xb6, 0x80, 0x71, 0x69, 0x26}));
}

TEST(Rc4, EnciphersInPlaceAndDeciphersWithTheSameKey) {
  const std::vector<std::uint8_t> key = {'S', 'e', 'c', 'r', 'e', 't'};
  std::string text = "Attack at dawn";
  std::vector<std::uint8_t> data(text.begin(), text.end());
  Rc4(key).Apply(data);
  EXPECT_EQ(data, (std::vector<std::uint8_t>{0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38,
                                             0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5}));
  Rc4(key).Apply(data);
  EXPECT_EQ(std::string(data.begin(), data.end()), text);
}

}  // namespace
}  // namespace protocol
