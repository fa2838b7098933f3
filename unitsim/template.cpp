#include "template.h"

#include <algorithm>

namespace unitsim {
namespace {

// Length of the placeholder starting at text[at] ("{word}"), or 0.
std::size_t PlaceholderLength(std::string_view text, std::size_t at) {
  if (text[at] != '{') return 0;
  std::size_t i = at + 1;
  while (i < text.size() && ((text[i] >= 'a' && text[i] <= 'z') || text[i] == '_')) ++i;
  if (i == at + 1 || i >= text.size() || text[i] != '}') return 0;
  return i + 1 - at;
}

}  // namespace

std::string ExpandTemplate(std::string_view text, const TemplateFields& fields) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = PlaceholderLength(text, i);
    if (length != 0) {
      auto found = fields.find(text.substr(i + 1, length - 2));
      if (found != fields.end()) {
        out += found->second;
        i += length;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

std::optional<std::string> UnknownPlaceholder(std::string_view text,
                                              std::span<const std::string_view> known) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::size_t length = PlaceholderLength(text, i);
    if (length == 0) continue;
    std::string_view word = text.substr(i + 1, length - 2);
    if (std::find(known.begin(), known.end(), word) == known.end()) {
      return std::string(text.substr(i, length));
    }
  }
  return std::nullopt;
}

}  // namespace unitsim
