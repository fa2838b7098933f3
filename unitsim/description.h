// What the simulator serves: one or more units, read from a TOML
// description file.  A file looks like
//
//   [defaults]              # optional; applies to every unit
//   password = "BlueOx"
//   port = 856
//   ...
//   [[unit]]                # one table per unit
//   address = "127.0.0.1"   # required, dotted IPv4
//   name = "demo-ap"        # required
//   password = "..."        # any default key may be set per unit
//
// Keys are grouped by feature (description_keys.cpp holds the groups); a
// table accepts exactly the keys that some group claims, so a misspelt key
// is an error that names the file, the line and the key.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "key_site.h"
#include "unit_settings.h"

namespace unitsim {

struct LabDescription {
  std::string file;  // as given, for messages
  std::vector<UnitDescription> units;
};

// Reads and checks a description file.  Relative paths inside it are
// relative to the file's folder.  Throws DescriptionError.
LabDescription ReadDescription(const std::filesystem::path& file);
// The same for text already in memory; base is the folder relative paths
// start from and file is the name used in messages.
LabDescription ParseDescription(std::string_view text, const std::string& file,
                                const std::filesystem::path& base);

}  // namespace unitsim
