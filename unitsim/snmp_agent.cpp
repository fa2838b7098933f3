#include "snmp_agent.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>

#include "report.h"
#include "template.h"
#include "wireless_records.h"

namespace unitsim {

namespace {

const Oid kSystemDescription = {1, 3, 6, 1, 2, 1, 1, 1};
const Oid kWireless = {1, 3, 6, 1, 3, 16313, 1, 25, 2, 1};
const Oid kRegistrations = {1, 3, 6, 1, 3, 16313, 1, 25, 2, 2};
// The two subtrees snmpd hands to the handler.
const Oid kPrivate = {1, 3, 6, 1, 3, 16313, 1, 25, 2};

bool StartsWith(const Oid& oid, const Oid& root) {
  return oid.size() >= root.size() && std::equal(root.begin(), root.end(), oid.begin());
}

// The next object after `oid`, staying inside the subtree `oid` is in.
std::map<Oid, SnmpValue>::const_iterator Next(const std::map<Oid, SnmpValue>& all, const Oid& oid) {
  auto it = all.upper_bound(oid);
  for (const Oid* root : {&kSystemDescription, &kPrivate}) {
    if (StartsWith(oid, *root) && it != all.end() && !StartsWith(it->first, *root)) {
      return all.end();
    }
  }
  return it;
}

Oid Under(const Oid& base, std::initializer_list<std::uint32_t> more) {
  Oid oid = base;
  oid.insert(oid.end(), more);
  return oid;
}

std::string OctetText(const std::uint8_t* bytes, std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
    if (i > 0) text += ' ';
    text += hex;
  }
  return text;
}

SnmpValue Text(std::string value) { return {"string", std::move(value)}; }
SnmpValue Number(long long value) { return {"integer", std::to_string(value)}; }

int Percent(std::int32_t value, std::int32_t max) {
  return max > 0 ? static_cast<int>(static_cast<long long>(value) * 100 / max) : value;
}

}  // namespace

std::map<Oid, SnmpValue> AgentObjects(const Unit& unit) {
  std::map<Oid, SnmpValue> objects;
  const UnitSettings& s = unit.description.settings;
  UnitStateData state = unit.state.Snapshot();
  const std::string& pattern = s.snmpDescription.empty() ? s.description : s.snmpDescription;
  objects[Under(kSystemDescription, {0})] =
      Text(ExpandTemplate(pattern, UnitFields(unit.description, state)));

  std::uint32_t station = 0;
  std::uint32_t k = 0;
  for (const CardDescription& card : s.live.cards) {
    ++k;
    const protocol::CardRecord& c = card.card;
    objects[Under(kWireless, {1, k})] = Text(card.device);
    objects[Under(kWireless, {2, k})] = {"octet", OctetText(c.address.data(), c.address.size())};
    objects[Under(kWireless, {3, k})] = Number(static_cast<long long>(card.stations.size()));
    objects[Under(kWireless, {4, k})] = Number(Percent(c.quality, c.qualityMax));
    objects[Under(kWireless, {5, k})] = Number(protocol::LevelToDbm(c.level));
    objects[Under(kWireless, {6, k})] = Number(protocol::LevelToDbm(c.noise));
    objects[Under(kWireless, {7, k})] = Number(c.channel);
    for (const protocol::AssociationRecord& r : card.stations) {
      ++station;
      char ip[16];
      std::snprintf(ip, sizeof ip, "%u.%u.%u.%u", r.ip[0], r.ip[1], r.ip[2], r.ip[3]);
      objects[Under(kRegistrations, {1, station})] = Number(station);
      objects[Under(kRegistrations, {2, station})] = {"octet", OctetText(r.mac.data(), r.mac.size())};
      objects[Under(kRegistrations, {3, station})] = Text(ip);
      objects[Under(kRegistrations, {4, station})] = Text(r.name);
      objects[Under(kRegistrations, {5, station})] = Number(r.quality);
      objects[Under(kRegistrations, {6, station})] = Number(r.signal);
      objects[Under(kRegistrations, {7, station})] = Number(r.noise);
      objects[Under(kRegistrations, {8, station})] = Number(int{r.signal} - int{r.noise});
      objects[Under(kRegistrations, {9, station})] = Number(r.rate / 10);
      objects[Under(kRegistrations, {10, station})] = Number(c.rate / 10);
    }
  }
  return objects;
}

std::optional<Oid> ParseOid(std::string_view text) {
  if (!text.empty() && text.front() == '.') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  Oid oid;
  std::uint64_t part = 0;
  bool digits = false;
  for (char ch : text) {
    if (ch == '.') {
      if (!digits) return std::nullopt;
      oid.push_back(static_cast<std::uint32_t>(part));
      part = 0;
      digits = false;
    } else if (ch >= '0' && ch <= '9') {
      part = part * 10 + static_cast<std::uint64_t>(ch - '0');
      if (part > 0xFFFFFFFFu) return std::nullopt;
      digits = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  oid.push_back(static_cast<std::uint32_t>(part));
  return oid;
}

std::string OidText(const Oid& oid) {
  std::string text;
  for (std::uint32_t part : oid) {
    text += '.';
    text += std::to_string(part);
  }
  return text;
}

void ServePassPersist(std::istream& in, std::ostream& out,
                      const std::function<std::map<Oid, SnmpValue>()>& objects) {
  auto answer = [&out](const Oid& oid, const SnmpValue& value) {
    out << OidText(oid) << '\n' << value.type << '\n' << value.value << '\n';
  };
  std::string command;
  while (std::getline(in, command)) {
    if (!command.empty() && command.back() == '\r') command.pop_back();
    if (command == "PING") {
      out << "PONG\n";
    } else if (command == "get" || command == "getnext") {
      std::string text;
      if (!std::getline(in, text)) break;
      std::optional<Oid> oid = ParseOid(text);
      std::map<Oid, SnmpValue> all = objects();
      if (!oid) {
        out << "NONE\n";
      } else if (command == "get") {
        auto it = all.find(*oid);
        if (it == all.end()) {
          out << "NONE\n";
        } else {
          answer(it->first, it->second);
        }
      } else {
        auto it = Next(all, *oid);
        if (it == all.end()) {
          out << "NONE\n";
        } else {
          answer(it->first, it->second);
        }
      }
    } else if (command == "set") {
      std::string skipped;
      std::getline(in, skipped);
      std::getline(in, skipped);
      out << "not-writable\n";
    } else if (command.empty()) {
      break;  // snmpd ends the conversation with an empty line
    } else {
      out << "NONE\n";
    }
    out.flush();
  }
}

std::string SnmpdConfig(const UnitDescription& unit, const std::filesystem::path& persistent,
                        const std::vector<std::string>& handler) {
  std::string command;
  for (const std::string& word : handler) command += " " + word;
  return "# snmpd for " + unit.name + "; made by unitsim\n"
         "agentaddress udp:" + unit.address + ":161\n"
         "rocommunity " + unit.settings.community + "\n"
         "dontLogTCPWrappersConnects yes\n"
         "[snmp] persistentDir " + persistent.string() + "\n"
         "pass_persist -p 1 " + OidText(kSystemDescription) + command + "\n"
         "pass_persist " + OidText(kPrivate) + command + "\n";
}

}  // namespace unitsim

namespace unitsim {

bool WriteSnmpdSetup(const LabDescription& lab, const std::filesystem::path& folder,
                     const std::vector<std::string>& handler, std::ostream& listing,
                     std::string& error) {
  for (const std::string& word : handler) {
    if (word.find_first_of(" \t\r\n") != std::string::npos) {
      error = "snmpd cannot start a handler whose command line holds a blank: '" + word + "'";
      return false;
    }
  }
  for (const UnitDescription& unit : lab.units) {
    if (!unit.settings.snmp) continue;
    if (unit.settings.community.find_first_of(" \t\r\n#") != std::string::npos) {
      error = unit.name + ": the community cannot be given to snmpd: '" + unit.settings.community + "'";
      return false;
    }
    std::filesystem::path dir = folder / unit.address;
    std::error_code failed;
    std::filesystem::create_directories(dir / "persistent", failed);
    if (failed) {
      error = "cannot make " + dir.string() + ": " + failed.message();
      return false;
    }
    std::vector<std::string> words(handler.begin(), handler.end() - 1);
    words.push_back("--snmp-agent");
    words.push_back(unit.address);
    words.push_back(handler.back());
    std::filesystem::path config = dir / "snmpd.conf";
    std::ofstream out(config, std::ios::trunc);
    out << SnmpdConfig(unit, dir / "persistent", words);
    if (!out.flush()) {
      error = "cannot write " + config.string();
      return false;
    }
    listing << unit.address << ' ' << config.string() << '\n';
  }
  return true;
}

}  // namespace unitsim
