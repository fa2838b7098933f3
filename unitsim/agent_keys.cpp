// Description keys of the unit's SNMP agent and of its server's manners.
#include "description_keys.h"

namespace unitsim {

bool AgentKeys(const KeySite& site, UnitSettings& s) {
  const std::string_view key = site.key;
  if (key == "snmp") {
    s.snmp = site.Boolean();
  } else if (key == "community") {
    s.community = site.String();
    if (s.community.empty()) site.Fail("community must not be empty");
  } else if (key == "snmp_description") {
    s.snmpDescription = site.Template(DescriptionPlaceholders());
  } else if (key == "old_server") {
    s.oldServer = site.Boolean();
  } else if (key == "silent_server") {
    s.silentServer = site.Boolean();
  } else {
    return false;
  }
  return true;
}

}  // namespace unitsim
