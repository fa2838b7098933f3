// The simulator's command line:
//
//   unitsim [--port N] [--bind ADDR] [--state DIR] [--ready-file FILE]
//           [--log FILE] DESCRIPTION
//   unitsim [--state DIR] --snmpd-setup DIR DESCRIPTION
//   unitsim [--state DIR] --snmp-agent ADDRESS DESCRIPTION
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace unitsim {

extern const char* const kUsage;

struct Options {
  std::optional<std::uint16_t> port;
  std::optional<std::string> bind;
  std::optional<std::string> state;
  std::optional<std::string> readyFile;
  std::optional<std::string> logFile;
  std::optional<std::string> snmpdSetup;  // folder for the units' snmpd configurations
  std::optional<std::string> snmpAgent;   // address of the unit to answer for
  std::string description;
  bool help = false;
};

// Fills options, or gives the reason the command line is wrong in error.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

}  // namespace unitsim
