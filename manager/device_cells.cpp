#include "device_cells.h"

#include "text_cells.h"

namespace halvex {

std::string FirmwareCell(const DeviceEntry& entry) {
  return entry.serverAnswer == ServerAnswer::kOldServer ? "OLD VERSION" : entry.firmware;
}

std::string MacCell(const DeviceEntry& entry) { return LastCharacters(WithoutSpaces(entry.mac), 12); }

}  // namespace halvex
