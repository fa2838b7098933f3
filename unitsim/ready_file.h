// The ready file tells scripts and tests where the units listen: one line
// "ADDRESS PORT NAME\n" per unit.  It is written to FILE.tmp and renamed,
// so a reader sees either no file or the whole of it.
#pragma once

#include <string>
#include <vector>

#include "server.h"

namespace unitsim {

bool WriteReadyFile(const std::string& path, const std::vector<Endpoint>& endpoints,
                    std::string& error);

}  // namespace unitsim
