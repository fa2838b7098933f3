#include "file_actions.h"

#include "firmware.h"
#include "frames.h"
#include "transfer.h"

namespace velkor {

bool IsFileAction(std::uint8_t action) {
  switch (action) {
    case kActionDownloadConfig:
    case kActionDownloadScript:
    case kActionDownloadPage:
    case kActionSupportFile:
    case kActionUploadConfig:
    case kActionUploadScript:
    case kActionUploadPage:
    case kActionFirmware:
      return true;
    default:
      return false;
  }
}

std::optional<std::uint32_t> PrepareFileAction(std::uint8_t action, const std::string& path) {
  switch (action) {
    case kActionUploadConfig:
    case kActionFirmware:
      return PrepareUpload(path, false);
    case kActionUploadScript:
    case kActionUploadPage:
      return PrepareUpload(path, true);
    default:
      return 0;
  }
}

bool RunFileAction(Connection& connection, std::uint8_t action, const std::string& path,
                   std::uint32_t value, std::uint8_t flags) {
  switch (action) {
    case kActionUploadConfig:
      return SendFile(connection, path, value);
    case kActionUploadScript:
    case kActionUploadPage:
      return SendText(connection, path, value);
    case kActionFirmware:
      return UploadFirmware(connection, path, value, (flags & kOptionApply) != 0);
    default:
      return ReceiveFile(connection, path);
  }
}

}  // namespace velkor
