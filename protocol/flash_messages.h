// The progress messages of a firmware upload with apply.  After taking the
// image the server sends one DataBlock per message, the last "done".  A
// message is the block's payload read as NUL-terminated text (the length
// field is not consulted; without a NUL the whole 1460-byte area is the
// text).  It is one of:
//   "done"            exactly, with this letter case: flashing is over
//   "T P D N..."      four decimal integers as "%d %d %d %d" reads them:
//                     target (0 firmware, else boot ROM), phase (0 writing,
//                     else verifying), done and total units; anything after
//                     the fourth number is ignored
//   anything else     a text for the operator, printed unchanged
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace protocol {

inline constexpr std::string_view kFlashDone = "done";

struct FlashMessage {
  enum Kind { kDone, kProgress, kText };
  Kind kind = kText;
  int target = 0;
  int phase = 0;
  int done = 0;
  int total = 0;
  std::string text;
};

// Reads the payload area of a progress block (1460 bytes).
FlashMessage ParseFlashMessage(std::string_view payload);

// The text of a progress message: "T P D N".
std::string FlashProgressText(int target, int phase, std::uint32_t done, std::uint32_t total);

}  // namespace protocol
