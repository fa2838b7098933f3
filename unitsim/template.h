// Text templates of the description file: "{name}" and the like are
// replaced by the unit's values.  A placeholder is "{", lower-case letters
// or '_', "}"; every other brace is plain text.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace unitsim {

using TemplateFields = std::map<std::string, std::string, std::less<>>;

// Replaces every placeholder that fields names; others stay as they are.
std::string ExpandTemplate(std::string_view text, const TemplateFields& fields);

// The first placeholder of text that is not among known, e.g. "{firmwre}".
std::optional<std::string> UnknownPlaceholder(std::string_view text,
                                              std::span<const std::string_view> known);

}  // namespace unitsim
