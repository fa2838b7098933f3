// A fixed-width console row built by writing texts at start columns.
//
// The row starts as blanks.  Put writes a text over it from a column; a text
// wider than the room its caller planned runs on into the following columns
// and is cut at the row's end, so nothing is ever written outside the row.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace velkor {

class TextRow {
 public:
  static constexpr std::size_t kWidth = 80;

  TextRow() { cells_.fill(' '); }

  void Put(std::size_t column, std::string_view text);

  // The whole row, kWidth characters.
  std::string Full() const { return std::string(cells_.data(), kWidth); }
  // The row up to the end of the rightmost text written so far.
  std::string UpToLastText() const { return std::string(cells_.data(), used_); }

 private:
  std::array<char, kWidth> cells_;
  std::size_t used_ = 0;
};

}  // namespace velkor
