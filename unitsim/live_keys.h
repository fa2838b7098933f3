// The description keys of a unit's live state (see live_description.h):
// throughput_limit_kbit, counters_run and the arrays of tables card, card.station, ppp
// and hotspot.
#pragma once

#include "key_site.h"

namespace unitsim {

bool LiveKeys(const KeySite& site, UnitSettings& settings);

}  // namespace unitsim
