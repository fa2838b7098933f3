#include "unit.h"

#include "storage.h"

namespace unitsim {

UnitState::UnitState(const UnitSettings& settings) {
  data_.firmware = settings.firmware;
  data_.build = settings.build;
  data_.booted = Clock::now();
  data_.refuseUntil = data_.booted;
  data_.sessions = StartSessions(settings.live, data_.booted);
}

Unit::Unit(UnitDescription d) : description(std::move(d)), state(description.settings) {
  if (auto installed = LoadInstalledFirmware(description)) {
    state.With([&](UnitStateData& data) {
      data.firmware = installed->version;
      data.build = installed->build;
    });
  }
}

UnitStateData UnitState::Snapshot() const {
  return With([](const UnitStateData& d) { return d; });
}

void UnitState::Reboot(std::uint32_t seconds) {
  With([seconds](UnitStateData& d) {
    d.refuseUntil = Clock::now() + std::chrono::seconds(seconds);
    d.booted = d.refuseUntil;
  });
}

bool UnitState::Refusing() const {
  return With([](const UnitStateData& d) { return Clock::now() < d.refuseUntil; });
}

}  // namespace unitsim
