// The device query's time and where it goes: run inside the lab
// (lab/measure-query.sh), it queries the default lab's units several times
// in Full mode with the real snmpwalk and velkor, timing every child, and
// prints per run the whole query, the time spent in snmpwalk and in velkor,
// and the manager's own share (the rest), also per host.
//
//   query_bench [--runs N] [--mode 1|2] PREFIX HOST...
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "device_query.h"
#include "memory_screen.h"

using namespace halvex;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
  int runs = 5;
  int mode = kModeFull;
  std::vector<int> hosts;
  std::string prefix;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (arg == "--mode" && i + 1 < argc) {
      mode = std::atoi(argv[++i]);
    } else if (prefix.empty()) {
      prefix = arg;
    } else {
      hosts.push_back(std::atoi(arg.c_str()));
    }
  }
  if (prefix.empty() || hosts.empty()) {
    std::fprintf(stderr, "usage: query_bench [--runs N] [--mode 1|2] PREFIX HOST...\n");
    return 2;
  }
  Settings settings;
  settings.password = std::getenv("QUERY_BENCH_PASSWORD") ? std::getenv("QUERY_BENCH_PASSWORD") : "";
  std::printf("run  hosts  children  whole-s  snmpwalk-s  velkor-s  manager-ms  manager-ms/host\n");
  for (int run = 1; run <= runs; ++run) {
    MemoryScreen screen;
    Console console(screen);
    QuerySetup setup(console);
    double walkSeconds = 0, velkorSeconds = 0;
    int children = 0;
    setup.run = [&](const std::filesystem::path& program, const ChildCommand& command) {
      Clock::time_point start = Clock::now();
      RunQueryCommand(setup, program, command);
      double took = std::chrono::duration<double>(Clock::now() - start).count();
      (command.words[0] == "velkor" ? velkorSeconds : walkSeconds) += took;
      ++children;
    };
    DeviceTable table;
    for (int h : hosts) table[h].alive = 1;
    Clock::time_point start = Clock::now();
    runQuery(setup, prefix, mode, settings, table);
    double whole = std::chrono::duration<double>(Clock::now() - start).count();
    double own = (whole - walkSeconds - velkorSeconds) * 1000;
    std::printf("%3d  %5zu  %8d  %7.3f  %10.3f  %8.3f  %10.3f  %15.3f\n", run, hosts.size(), children,
                whole, walkSeconds, velkorSeconds, own, own / static_cast<double>(hosts.size()));
  }
  return 0;
}
