// The usage text of velkor.
#pragma once

#include <string>

namespace velkor {

std::string UsageText(const std::string& program);

}  // namespace velkor
