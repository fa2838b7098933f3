#include "text_row.h"

#include <algorithm>

namespace velkor {

void TextRow::Put(std::size_t column, std::string_view text) {
  if (column >= kWidth) return;
  std::size_t count = std::min(text.size(), kWidth - column);
  std::copy_n(text.data(), count, cells_.begin() + static_cast<std::ptrdiff_t>(column));
  used_ = std::max(used_, column + count);
}

}  // namespace velkor
