// A unit as the server runs it: its description and its mutable state.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "unit_settings.h"
#include "live_state.h"

namespace unitsim {

using Clock = std::chrono::steady_clock;

// What changes while a unit runs.  Features that keep something (stored
// files, live sessions, ...) add their fields here.
struct UnitStateData {
  std::string firmware;  // current, e.g. after an upgrade
  std::string build;
  Clock::time_point booted;
  Clock::time_point refuseUntil;  // connections are turned away before this
  LiveSessions sessions;           // PPP and hotspot users
};

// The state behind a mutex; every access goes through With().
class UnitState {
 public:
  explicit UnitState(const UnitSettings& settings);

  template <typename F>
  auto With(F&& f) {
    std::lock_guard lock(mutex_);
    return f(data_);
  }
  template <typename F>
  auto With(F&& f) const {
    std::lock_guard lock(mutex_);
    return f(static_cast<const UnitStateData&>(data_));
  }

  UnitStateData Snapshot() const;
  // The unit restarts: its uptime begins anew and it refuses connections
  // for the given number of seconds.
  void Reboot(std::uint32_t seconds);
  bool Refusing() const;

 private:
  mutable std::mutex mutex_;
  UnitStateData data_;
};

struct Unit {
  // Picks up what the unit keeps across restarts (the installed firmware).
  explicit Unit(UnitDescription d);

  UnitDescription description;
  UnitState state;
};

}  // namespace unitsim
