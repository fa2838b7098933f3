// The run's two steps for the file actions (configuration, scripts, hotspot
// pages, support file, firmware): the local preparation before connecting,
// and the exchange between the first and the final reply.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "connection.h"

namespace velkor {

// Actions 1-6, 66 and 241.
bool IsFileAction(std::uint8_t action);

// Checks the upload file and gives the request's value: the file size, the
// script or page text length, or 0 for downloads.  Prints why it fails.
std::optional<std::uint32_t> PrepareFileAction(std::uint8_t action, const std::string& path);

// The exchange; false when it failed (already reported), which ends the
// run without the final reply.
bool RunFileAction(Connection& connection, std::uint8_t action, const std::string& path,
                   std::uint32_t value, std::uint8_t flags);

}  // namespace velkor
