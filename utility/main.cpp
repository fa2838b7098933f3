// velkor: a configuration backup and restore utility for units that run
// the management server on TCP port 856.
#include <cstdio>
#include <string>
#include <vector>

#include "cmdline.h"
#include "run.h"
#include "switches.h"

int main(int argc, char** argv) {
  std::setbuf(stdout, nullptr);
  std::string program = velkor::ProgramName(argc > 0 ? argv[0] : "velkor");
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);

  velkor::ScanOutcome scan = velkor::ScanCommandLine(args, program);
  std::fwrite(scan.output.data(), 1, scan.output.size(), stdout);
  if (!scan.run) return scan.exit_code;

  velkor::SetSilentMode(scan.command.silent);
  velkor::SetAssociationDetails(scan.command.details);
  return velkor::RunCommand(scan.command);
}
