// unitsim: a simulated unit (or a lab of them) serving the management
// protocol, described by a TOML file.  Exit status 0 after SIGINT/SIGTERM,
// 1 when a unit cannot listen, 2 for a bad command line or description.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "description.h"
#include "options.h"
#include "ready_file.h"
#include "request_log.h"
#include "server.h"
#include "server_socket.h"
#include "snmp_agent.h"
#include "stop_signal.h"

using namespace unitsim;

namespace {

// The lab's SNMP agents: their configurations, or the handler they run.
int ServeSnmp(const LabDescription& lab, const Options& options) {
  std::string error;
  if (options.snmpdSetup) {
    std::error_code unknown;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", unknown);
    std::vector<std::string> handler = {self.string()};
    if (options.state) {
      handler.push_back("--state");
      handler.push_back(std::filesystem::absolute(*options.state).string());
    }
    handler.push_back(std::filesystem::absolute(options.description).string());
    if (unknown || !WriteSnmpdSetup(lab, *options.snmpdSetup, handler, std::cout, error)) {
      std::fprintf(stderr, "unitsim: %s\n", unknown ? "cannot tell where unitsim is" : error.c_str());
      return 1;
    }
    return 0;
  }
  for (const UnitDescription& described : lab.units) {
    if (described.address != *options.snmpAgent) continue;
    ServePassPersist(std::cin, std::cout, [&described] {
      Unit unit(described);  // picks up an upgrade installed meanwhile
      return AgentObjects(unit);
    });
    return 0;
  }
  std::fprintf(stderr, "unitsim: no unit has the address %s\n", options.snmpAgent->c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "unitsim: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }

  LabDescription lab;
  try {
    lab = ReadDescription(options.description);
  } catch (const DescriptionError& problem) {
    std::fprintf(stderr, "unitsim: %s\n", problem.what());
    return 2;
  }
  if (options.state) {
    std::filesystem::path state = std::filesystem::absolute(*options.state);
    for (UnitDescription& unit : lab.units) unit.settings.state = state;
  }

  if (options.snmpdSetup || options.snmpAgent) {
    return ServeSnmp(lab, options);
  }

  ServerOptions serverOptions;
  serverOptions.port = options.port;
  serverOptions.bind = options.bind;
  if (auto clash = FindClash(lab, serverOptions)) {
    std::fprintf(stderr, "unitsim: %s\n", clash->c_str());
    return 2;
  }

  std::FILE* logOut = stderr;
  if (options.logFile) {
    logOut = std::fopen(options.logFile->c_str(), "a");
    if (logOut == nullptr) {
      std::fprintf(stderr, "unitsim: cannot open the log file %s\n", options.logFile->c_str());
      return 2;
    }
  }
  RequestLog log(logOut);

  sock::IgnoreBrokenPipes();
  HoldStopSignals();
  Server server(lab, serverOptions, log);
  if (!server.Listen(error)) {
    std::fprintf(stderr, "unitsim: %s\n", error.c_str());
    return 1;
  }
  server.Start();
  for (const Endpoint& at : server.endpoints()) {
    log.Write(at.address + ":" + std::to_string(at.port) + " " + at.name + ": listening");
  }
  if (options.readyFile && !WriteReadyFile(*options.readyFile, server.endpoints(), error)) {
    std::fprintf(stderr, "unitsim: %s\n", error.c_str());
    server.Stop();
    return 1;
  }

  WaitForStopSignal();
  server.Stop();
  log.Write("stopped");
  if (logOut != stderr) std::fclose(logOut);
  return 0;
}
