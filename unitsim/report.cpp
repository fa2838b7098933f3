#include "report.h"

#include <cstdio>

namespace unitsim {

std::string FormatUptime(std::int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char text[64];
  std::snprintf(text, sizeof text, "%lld days, %02d:%02d:%02d",
                static_cast<long long>(seconds / 86400), static_cast<int>(seconds / 3600 % 24),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return text;
}

TemplateFields UnitFields(const UnitDescription& unit, const UnitStateData& state) {
  auto up = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - state.booted);
  return TemplateFields{
      {"name", unit.name},
      {"address", unit.address},
      {"hardware", unit.settings.hardware},
      {"firmware", state.firmware},
      {"build", state.build},
      {"uptime", FormatUptime(up.count())},
  };
}

std::string ComposeReport(const Unit& unit, ReportKind kind) {
  UnitStateData state = unit.state.Snapshot();
  TemplateFields fields = UnitFields(unit.description, state);
  fields["description"] = ExpandTemplate(unit.description.settings.description, fields);
  const std::string& text = kind == ReportKind::kSystemInfo ? unit.description.settings.sysinfo
                                                            : unit.description.settings.kernlog;
  return ExpandTemplate(text, fields);
}

}  // namespace unitsim
