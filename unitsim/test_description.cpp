#include "test_description.h"

namespace unitsim::test {

LabDescription Parse(std::string_view text) { return ParseDescription(text, "lab.toml", "/labs"); }

std::string ErrorOf(std::string_view text) {
  try {
    Parse(text);
  } catch (const DescriptionError& error) {
    return error.what();
  }
  return "";
}

}  // namespace unitsim::test
