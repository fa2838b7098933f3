#include "firmware_image.h"

namespace unitsim {

namespace {

constexpr std::string_view kMagic = "UNITFW ";

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

// A word of 1 to `most` name characters ending at `end`; advances past the
// terminator.
std::optional<std::string> Word(std::string_view text, std::size_t& pos, std::size_t most,
                                char end) {
  std::size_t start = pos;
  while (pos < text.size() && IsNameCharacter(text[pos])) ++pos;
  std::size_t length = pos - start;
  if (length == 0 || length > most || pos >= text.size() || text[pos] != end) return std::nullopt;
  ++pos;
  return std::string(text.substr(start, length));
}

}  // namespace

std::optional<ImageVersion> ReadImageHeader(std::string_view start) {
  std::string_view head = start.substr(0, kImageHeaderLimit);
  if (head.substr(0, kMagic.size()) != kMagic) return std::nullopt;
  std::size_t pos = kMagic.size();
  auto version = Word(head, pos, 31, ' ');
  if (!version) return std::nullopt;
  auto build = Word(head, pos, 15, '\n');
  if (!build) return std::nullopt;
  return ImageVersion{*version, *build};
}

std::string MakeImageHeader(const ImageVersion& version) {
  return std::string(kMagic) + version.version + " " + version.build + "\n";
}

}  // namespace unitsim
