// Golden bytes for the protocol's tests: messages written out by hand from
// the layout tables, as text.  Tokens are separated by white space; each is
// two hex digits, or "XX*N" for N bytes of XX (long zero-filled fields).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace protocol::golden {

inline std::vector<std::uint8_t> Hex(std::string_view text) {
  std::vector<std::uint8_t> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == ' ' || text[pos] == '\n') {
      ++pos;
      continue;
    }
    std::size_t end = text.find_first_of(" \n", pos);
    std::string token(text.substr(pos, end == std::string_view::npos ? text.npos : end - pos));
    pos = end == std::string_view::npos ? text.size() : end;
    std::size_t star = token.find('*');
    std::size_t count = star == std::string::npos ? 1 : std::stoul(token.substr(star + 1));
    std::string digits = token.substr(0, star);
    if (digits.size() != 2) throw std::invalid_argument("bad golden token " + token);
    out.insert(out.end(), count, static_cast<std::uint8_t>(std::stoul(digits, nullptr, 16)));
  }
  return out;
}

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, N>& a) {
  return std::vector<std::uint8_t>(a.begin(), a.end());
}

// The literal as the fixed-size span a decoder takes; its size must match.
template <std::size_t N>
std::span<const std::uint8_t, N> Fixed(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() != N) throw std::length_error("golden literal of the wrong size");
  return std::span<const std::uint8_t, N>(bytes.data(), N);
}

}  // namespace protocol::golden
