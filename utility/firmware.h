// Firmware upload (action 241) and the display of the server's flashing
// progress that follows it when the apply flag is set.
//
// With apply, after the image the server sends one ReplyFrame (it has taken
// the image), then one DataBlock per progress message, the last "done".
// A message is the block's payload read as NUL-terminated text (the length
// field is not consulted; without a NUL the whole 1460-byte area is the
// text).  It is one of:
//   "done"            exactly, with this letter case: flashing is over
//   "T P D N..."      four decimal integers as "%d %d %d %d" reads them:
//                     target (0 firmware, else boot ROM), phase (0 writing,
//                     else verifying), done and total units; anything after
//                     the fourth number is ignored
//   anything else     a text for the operator, printed unchanged
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "connection.h"

namespace velkor {

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

// Reads and shows the progress messages until "done" or a failed receive.
// Headings ("Flashing Firmware:", "Verifying Bootrom:", ...) open each new
// (target, phase) step; texts print on their own lines.  Not hidden by
// silent mode.
void ShowFlashProgress(Connection& connection);

// The whole exchange of action 241 after the first reply: the image, and
// with apply the acknowledgement and the flashing display.  False when the
// upload or the acknowledgement failed (already reported).
bool UploadFirmware(Connection& connection, const std::string& path, std::uint32_t size,
                    bool apply);

}  // namespace velkor
