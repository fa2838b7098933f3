#include "rc4.h"

#include <utility>

namespace protocol {

Rc4::Rc4(std::span<const std::uint8_t> key) {
  for (int i = 0; i < 256; ++i) s_[i] = static_cast<std::uint8_t>(i);
  if (key.empty()) return;
  std::uint8_t j = 0;
  for (int i = 0; i < 256; ++i) {
    j = static_cast<std::uint8_t>(j + s_[i] + key[i % key.size()]);
    std::swap(s_[i], s_[j]);
  }
}

void Rc4::Apply(std::span<std::uint8_t> data) {
  for (auto& byte : data) {
    i_ = static_cast<std::uint8_t>(i_ + 1);
    j_ = static_cast<std::uint8_t>(j_ + s_[i_]);
    std::swap(s_[i_], s_[j_]);
    byte ^= s_[static_cast<std::uint8_t>(s_[i_] + s_[j_])];
  }
}

}  // namespace protocol
