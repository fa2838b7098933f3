#include "options.h"

#include "description.h"

namespace unitsim {

const char* const kUsage =
    "usage: unitsim [--port N] [--bind ADDR] [--state DIR] [--ready-file FILE] [--log FILE] "
    "DESCRIPTION\n"
    "  --port N          every unit listens on port N instead of its own (0 = a free port)\n"
    "  --bind ADDR       every unit listens on ADDR instead of its own address\n"
    "  --state DIR       state folder, overriding the description's\n"
    "  --ready-file FILE once every unit listens, write \"ADDRESS PORT NAME\" lines to FILE\n"
    "  --log FILE        append the request log to FILE instead of standard error\n"
    "  --snmpd-setup DIR write an snmpd configuration for every unit with SNMP into DIR,\n"
    "                    list \"ADDRESS CONFIG\" lines on standard output and end\n"
    "  --snmp-agent ADDR answer snmpd's pass_persist requests for the unit at ADDR\n";

namespace {

std::optional<std::uint16_t> ParsePort(const std::string& text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      return true;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      if (arg != "--port" && arg != "--bind" && arg != "--state" && arg != "--ready-file" &&
          arg != "--log" && arg != "--snmpd-setup" && arg != "--snmp-agent") {
        error = "unknown option " + arg;
        return false;
      }
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      const std::string& value = args[++i];
      if (arg == "--port") {
        options.port = ParsePort(value);
        if (!options.port) {
          error = "--port needs a number from 0 to 65535, not '" + value + "'";
          return false;
        }
      } else if (arg == "--bind") {
        if (!IsDottedAddress(value)) {
          error = "--bind needs a dotted IPv4 address, not '" + value + "'";
          return false;
        }
        options.bind = value;
      } else if (value.empty()) {
        error = arg + " needs a non-empty value";
        return false;
      } else if (arg == "--state") {
        options.state = value;
      } else if (arg == "--ready-file") {
        options.readyFile = value;
      } else if (arg == "--snmpd-setup") {
        options.snmpdSetup = value;
      } else if (arg == "--snmp-agent") {
        if (!IsDottedAddress(value)) {
          error = "--snmp-agent needs a dotted IPv4 address, not '" + value + "'";
          return false;
        }
        options.snmpAgent = value;
      } else {
        options.logFile = value;
      }
      continue;
    }
    if (!options.description.empty()) {
      error = "only one description file may be given";
      return false;
    }
    options.description = arg;
  }
  if (options.description.empty()) {
    error = "no description file given";
    return false;
  }
  return true;
}

}  // namespace unitsim
