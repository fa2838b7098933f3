#include "firmware_image.h"

namespace unitsim {

namespace {

constexpr std::string_view kMagic = "UNITFW ";

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

// A word of 1 to `most` name characters ending at one of `ends`; advances
// past the terminator, which `ended` receives.
std::optional<std::string> Word(std::string_view text, std::size_t& pos, std::size_t most,
                                std::string_view ends, char& ended) {
  std::size_t start = pos;
  while (pos < text.size() && IsNameCharacter(text[pos])) ++pos;
  std::size_t length = pos - start;
  if (length == 0 || length > most || pos >= text.size() ||
      ends.find(text[pos]) == std::string_view::npos) {
    return std::nullopt;
  }
  ended = text[pos++];
  return std::string(text.substr(start, length));
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::optional<ImageVersion> ReadImageHeader(std::string_view start) {
  std::string_view head = start.substr(0, kImageHeaderLimit);
  if (head.substr(0, kMagic.size()) != kMagic) return std::nullopt;
  std::size_t pos = kMagic.size();
  char ended = 0;
  auto version = Word(head, pos, 31, " ", ended);
  if (!version) return std::nullopt;
  auto build = Word(head, pos, 15, " \n", ended);
  if (!build) return std::nullopt;
  if (ended == '\n') return ImageVersion{*version, *build, {}};
  auto hardware = Word(head, pos, 15, "\n", ended);
  if (!hardware) return std::nullopt;
  return ImageVersion{*version, *build, *hardware};
}

bool FitsHardware(const ImageVersion& image, std::string_view hardware) {
  if (image.hardware.empty()) return true;
  if (image.hardware.size() != hardware.size()) return false;
  for (std::size_t i = 0; i < hardware.size(); ++i) {
    if (Lower(image.hardware[i]) != Lower(hardware[i])) return false;
  }
  return true;
}

}  // namespace unitsim
