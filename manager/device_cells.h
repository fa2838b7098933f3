// What the device table shows of a unit, as text: the table draws these
// cells, and the journal and the inventory write them.
#pragma once

#include <string>

#include "device_entry.h"

namespace halvex {

// The firmware cell: "OLD VERSION" for a unit whose server is too old for
// the system report, else the firmware as the query read it.
std::string FirmwareCell(const DeviceEntry& entry);

// The MAC address cell: its last 12 characters without spaces ("MULTIPLE"
// for a unit with two cards).
std::string MacCell(const DeviceEntry& entry);

}  // namespace halvex
