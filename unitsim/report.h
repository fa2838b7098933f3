// The texts a unit composes: its one-line description, the system report
// (action 64) and the kernel log (action 65).  Lines end in LF.  Firmware
// and build come from the unit's current state, not from its description,
// so an upgraded unit reports its new version.
#pragma once

#include <cstdint>
#include <string>

#include "template.h"
#include "unit.h"

namespace unitsim {

enum class ReportKind { kSystemInfo, kKernelLog };

// "3 days, 04:05:06"
std::string FormatUptime(std::int64_t seconds);

// The values the placeholders stand for, as of now.
TemplateFields UnitFields(const UnitDescription& unit, const UnitStateData& state);

std::string ComposeReport(const Unit& unit, ReportKind kind);

}  // namespace unitsim
