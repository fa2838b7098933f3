#include "description.h"

#include <fstream>
#include <map>
#include <sstream>
#include <toml++/toml.h>

#include "description_keys.h"

namespace unitsim {
namespace {

constexpr const char* kDefaultDescription = "Unit {firmware} build {build} [{hardware}]";

constexpr const char* kDefaultSysinfo =
    "System information for {name} ({address})\n"
    "{description}\n"
    "Hardware: {hardware}\n"
    "Firmware: {firmware} build {build}\n"
    "Uptime: {uptime}\n"
    "Memory: 65536 kB total, 41210 kB free\n"
    "Storage: flash 16384 kB, 9120 kB free\n"
    "Interfaces: eth0 up, wlan0 up, wlan1 down\n";

constexpr const char* kDefaultKernlog =
    "Linux version 2.4.37 (build@{hardware}) #{build} {firmware}\n"
    "CPU revision is: 00018448\n"
    "Memory: 62172k/65536k available\n"
    "Calibrating delay loop... 179.81 BogoMIPS\n"
    "NET4: Linux TCP/IP 1.0 for NET4.0\n"
    "eth0: link up, 100 Mbps, full duplex\n"
    "wlan0: card initialised, firmware 1.7.4\n"
    "mgmtd: listening on port 856\n";

int LineOf(const toml::node& node) { return static_cast<int>(node.source().begin.line); }
int LineOf(const toml::key& key) { return static_cast<int>(key.source().begin.line); }

// Hands every key of a [defaults] or [[unit]] table to the key groups;
// address and name (units only) are read by the caller and skipped here.
void ApplyKeys(const toml::table& table, std::string_view tableName, const std::string& file,
               const std::filesystem::path& base, UnitSettings& settings, bool isUnit) {
  for (auto&& [key, node] : table) {
    std::string_view name = key.str();
    if (isUnit && (name == "address" || name == "name")) continue;
    KeySite site{file, base, tableName, name, node, LineOf(key)};
    bool claimed = false;
    for (KeyGroup group : KeyGroups()) {
      if (group(site, settings)) {
        claimed = true;
        break;
      }
    }
    if (!claimed) site.Fail("unknown key '" + std::string(name) + "' in " + std::string(tableName));
  }
}

std::string RequiredString(const toml::table& unit, const char* key, const std::string& file,
                           int tableLine) {
  const toml::node* node = unit.get(key);
  if (node == nullptr) {
    throw DescriptionError(file, tableLine, std::string("[[unit]] has no ") + key);
  }
  const auto* value = node->as_string();
  if (value == nullptr || value->get().empty()) {
    throw DescriptionError(file, LineOf(*node), std::string(key) + " must be a non-empty string");
  }
  return value->get();
}

UnitDescription ReadUnit(const toml::table& table, const UnitSettings& defaults,
                         const std::string& file, const std::filesystem::path& base) {
  UnitDescription unit;
  unit.line = LineOf(table);
  unit.settings = defaults;
  unit.address = RequiredString(table, "address", file, unit.line);
  if (!IsDottedAddress(unit.address)) {
    throw DescriptionError(file, LineOf(*table.get("address")),
                           "address '" + unit.address + "' is not a dotted IPv4 address");
  }
  unit.name = RequiredString(table, "name", file, unit.line);
  ApplyKeys(table, "[[unit]]", file, base, unit.settings, true);
  return unit;
}

}  // namespace

UnitSettings::UnitSettings()
    : description(kDefaultDescription), sysinfo(kDefaultSysinfo), kernlog(kDefaultKernlog) {}

LabDescription ParseDescription(std::string_view text, const std::string& file,
                                const std::filesystem::path& base) {
  toml::table root;
  try {
    root = toml::parse(text, file);
  } catch (const toml::parse_error& error) {
    throw DescriptionError(file, static_cast<int>(error.source().begin.line),
                           std::string(error.description()));
  }

  LabDescription lab;
  lab.file = file;
  UnitSettings defaults;
  defaults.state = base / "state";

  // The top level holds [defaults] and the [[unit]] tables; a lab-wide
  // table of a later feature gets its branch here and a reader of its own.
  for (auto&& [key, node] : root) {
    std::string_view name = key.str();
    if (name == "defaults") {
      if (!node.is_table()) throw DescriptionError(file, LineOf(key), "defaults must be a table");
    } else if (name == "unit") {
      if (!node.is_array_of_tables() || node.as_array()->empty()) {
        throw DescriptionError(file, LineOf(key), "units are written as [[unit]] tables");
      }
    } else {
      throw DescriptionError(file, LineOf(key), "unknown key '" + std::string(name) + "'");
    }
  }

  if (const toml::table* table = root["defaults"].as_table()) {
    ApplyKeys(*table, "[defaults]", file, base, defaults, false);
  }
  const toml::array* units = root["unit"].as_array();
  if (units == nullptr) throw DescriptionError(file, 0, "describes no unit ([[unit]] with address and name)");

  std::map<std::pair<std::string, std::uint16_t>, const UnitDescription*> taken;
  lab.units.reserve(units->size());
  for (const toml::node& node : *units) {
    lab.units.push_back(ReadUnit(*node.as_table(), defaults, file, base));
    const UnitDescription& unit = lab.units.back();
    auto [at, fresh] = taken.emplace(std::make_pair(unit.address, unit.settings.port), &unit);
    if (!fresh) {
      throw DescriptionError(file, unit.line,
                             "unit '" + unit.name + "' has the same address and port (" +
                                 unit.address + ":" + std::to_string(unit.settings.port) +
                                 ") as unit '" + at->second->name + "' on line " +
                                 std::to_string(at->second->line));
    }
  }
  return lab;
}

LabDescription ReadDescription(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw DescriptionError(file.string(), 0, "cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw DescriptionError(file.string(), 0, "cannot be read");
  std::filesystem::path base = file.parent_path();
  if (base.empty()) base = ".";
  return ParseDescription(text.str(), file.string(), base);
}

}  // namespace unitsim
