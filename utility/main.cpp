// velkor: a configuration backup and restore utility for units that run
// the management server on TCP port 856.
#include <cstdio>
#include <string>
#include <vector>

#include "cmdline.h"
#include "console.h"
#include "run.h"

namespace {

// Everything velkor says goes to standard output, unbuffered, so every
// write has already been tried here: a run whose output did not all get
// written does not end with 0.  A reader that went away (velkor ... | head)
// is no error worth a message.
int FinishOutput(int status) {
  bool failed = std::ferror(stdout) != 0;
  failed = std::fflush(stdout) != 0 || failed;
  bool readerGone = failed && velkor::OutputReaderGone();
  failed = std::fclose(stdout) != 0 || failed;
  if (!failed) return status;
  if (!readerGone) std::fputs("velkor: unable to write its output to standard output\n", stderr);
  return status == 0 ? 1 : status;
}

}  // namespace

int main(int argc, char** argv) {
  std::setbuf(stdout, nullptr);
  std::string program = velkor::ProgramName(argc > 0 ? argv[0] : "velkor");
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);

  velkor::ScanOutcome scan = velkor::ScanCommandLine(args, program);
  std::fwrite(scan.output.data(), 1, scan.output.size(), stdout);
  if (!scan.run) return FinishOutput(scan.exitCode);

  return FinishOutput(velkor::RunCommand(scan.command));
}
