// RC4 stream cipher as published, with no keystream bytes discarded.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace protocol {

class Rc4 {
 public:
  explicit Rc4(std::span<const std::uint8_t> key);
  // XORs the data in place with the next keystream bytes.
  void Apply(std::span<std::uint8_t> data);

 private:
  std::array<std::uint8_t, 256> s_{};
  std::uint8_t i_ = 0;
  std::uint8_t j_ = 0;
};

}  // namespace protocol
