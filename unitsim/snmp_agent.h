// The unit's SNMP agent in the lab: a real snmpd bound to the unit's
// address, with its community, and this program as the pass_persist
// handler of three subtrees, answered from the same description (and the
// same state folder) that the management server serves, so that both
// always agree:
//
//   1.3.6.1.2.1.1.1.0             the system description (string): the
//                                 snmp_description template, else the
//                                 description, with the current firmware
//   1.3.6.1.3.16313.1.25.2.1.C.K  wireless information of card K (1, 2,
//                                 ... in description order), column C:
//                                 1 interface name (string), 2 MAC address
//                                 (octet string), 3 registrations (integer:
//                                 its stations), 4 link quality in percent,
//                                 5 signal in dBm, 6 noise in dBm,
//                                 7 channel (integers)
//   1.3.6.1.3.16313.1.25.2.2.C.R  the registration table, station R of all
//                                 cards in order, column C: 1 index, 2 MAC
//                                 address (octet string), 3 address and
//                                 4 name (strings), 5 quality, 6 signal,
//                                 7 noise (raw), 8 signal to noise in dB,
//                                 9 receive and 10 transmit rate in Mb/s
//
// A walk of a subtree therefore lists it column by column.  A unit with
// `snmp = false` has no agent.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "description.h"
#include "unit.h"

namespace unitsim {

using Oid = std::vector<std::uint32_t>;

struct SnmpValue {
  std::string type;   // as pass_persist names it: string, integer, octet
  std::string value;  // octet: hexadecimal bytes separated by blanks
};

// Every object the handler serves for a unit, as of now.
std::map<Oid, SnmpValue> AgentObjects(const Unit& unit);

// "1.3.6.1" or ".1.3.6.1"; nothing for anything else.
std::optional<Oid> ParseOid(std::string_view text);
std::string OidText(const Oid& oid);  // ".1.3.6.1"

// Answers pass_persist requests (PING, get, getnext, set) from `in` until
// it ends.  `objects` is asked again for every request, so that a change
// of firmware shows at once.
void ServePassPersist(std::istream& in, std::ostream& out,
                      const std::function<std::map<Oid, SnmpValue>()>& objects);

// The snmpd configuration of a unit.  `handler` is the command line of the
// pass_persist handler, program first; none of its words may hold a blank.
std::string SnmpdConfig(const UnitDescription& unit, const std::filesystem::path& persistent,
                        const std::vector<std::string>& handler);

}  // namespace unitsim

namespace unitsim {

// Writes FOLDER/<address>/snmpd.conf (and the agent's own persistent
// folder beside it) for every unit with SNMP, and lists "ADDRESS CONFIG"
// a line on `listing`.  `handler` is the handler's command line without
// the unit's address, which is appended after "--snmp-agent" and before the
// last word.  False, with the reason, when something cannot be written or a
// word holds a blank.
bool WriteSnmpdSetup(const LabDescription& lab, const std::filesystem::path& folder,
                     const std::vector<std::string>& handler, std::ostream& listing,
                     std::string& error);

}  // namespace unitsim
