// Firmware upload (action 241) and the display of the server's flashing
// progress that follows it when the apply flag is set.
//
// With apply, after the image the server sends one ReplyFrame (it has taken
// the image), then one DataBlock per progress message (flash_messages.h),
// the last "done".
#pragma once

#include <cstdint>
#include <string>

#include "connection.h"
#include "flash_messages.h"
#include "run_output.h"

namespace velkor {

using namespace protocol;

// Reads and shows the progress messages until "done" or a failed receive.
// Headings ("Flashing Firmware:", "Verifying Bootrom:", ...) open each new
// (target, phase) step; texts print on their own lines.  Not hidden by
// silent mode.
void ShowFlashProgress(Connection& connection, Progress& progress);

// The whole exchange of action 241 after the first reply: the image, and
// with apply the acknowledgement and the flashing display.  False when the
// upload or the acknowledgement failed (already reported).
bool UploadFirmware(Connection& connection, const std::string& path, std::uint32_t size,
                    bool apply, RunOutput& output);

}  // namespace velkor
