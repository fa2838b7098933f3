// The device query's time and where it goes: run inside the lab
// (lab/measure-query.sh), it queries a lab's units several times with the
// real snmpwalk, snmpd agents and velkor, and prints per run the whole
// query, the manager's own processor time (its threads, not its
// children), also per host, the children's processor time, and the peak
// memory of the manager and its children together (the resident sizes of
// the process tree, sampled).
//
//   query_bench [--runs N] [--mode 1|2] [--jobs N] PREFIX HOST...
#include <sys/resource.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "device_query.h"
#include "null_screen.h"

using namespace halvex;
using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The resident kilobytes of this process and all its descendants.
long TreeKilobytes() {
  std::map<int, std::pair<int, long>> processes;  // pid: parent, resident kB
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream status(entry.path() / "status");
    int parent = 0;
    long resident = 0;
    for (std::string line; std::getline(status, line);) {
      std::istringstream words(line);
      std::string key;
      words >> key;
      if (key == "PPid:") words >> parent;
      if (key == "VmRSS:") words >> resident;
    }
    processes[std::stoi(name)] = {parent, resident};
  }
  const int self = static_cast<int>(getpid());
  long total = 0;
  for (const auto& [pid, info] : processes) {
    for (int p = pid; p > 1;) {
      if (p == self) {
        total += info.second;
        break;
      }
      auto it = processes.find(p);
      if (it == processes.end()) break;
      p = it->second.first;
    }
  }
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  Mode mode = Mode::kFull;
  int jobs = kDefaultJobs;
  std::vector<int> hosts;
  std::string prefix;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (arg == "--mode" && i + 1 < argc) {
      mode = std::atoi(argv[++i]) == 1 ? Mode::kFirmware : Mode::kFull;
    } else if (arg == "--jobs" && i + 1 < argc) {
      jobs = std::atoi(argv[++i]);
    } else if (prefix.empty()) {
      prefix = arg;
    } else {
      hosts.push_back(std::atoi(arg.c_str()));
    }
  }
  if (prefix.empty() || hosts.empty()) {
    std::fprintf(stderr, "usage: query_bench [--runs N] [--mode 1|2] [--jobs N] PREFIX HOST...\n");
    return 2;
  }
  Settings settings;
  settings.password = std::getenv("QUERY_BENCH_PASSWORD") ? std::getenv("QUERY_BENCH_PASSWORD") : "";
  std::printf(
      "run  hosts  jobs  whole-s  manager-cpu-ms  manager-ms/host  children-cpu-s  peak-tree-MiB\n");
  for (int run = 1; run <= runs; ++run) {
    NullScreen screen;
    Console console(screen);
    QuerySetup setup(console);
    setup.jobs = jobs;
    DeviceTable table;
    for (int h : hosts) table[h].alive = true;
    std::atomic<bool> sampling{true};
    long peak = 0;
    double samplerCpu = 0;  // the sampler's own time is not the manager's
    std::thread sampler([&] {
      while (sampling) {
        peak = std::max(peak, TreeKilobytes());
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
      }
      timespec t{};
      clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
      samplerCpu = static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    });
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    const double childrenBefore = CpuSeconds(RUSAGE_CHILDREN);
    Clock::time_point start = Clock::now();
    RunQuery(setup, prefix, mode, settings, table);
    double whole = std::chrono::duration<double>(Clock::now() - start).count();
    sampling = false;
    sampler.join();
    double own = (CpuSeconds(RUSAGE_SELF) - cpuBefore - samplerCpu) * 1000;
    double children = CpuSeconds(RUSAGE_CHILDREN) - childrenBefore;
    std::printf("%3d  %5zu  %4d  %7.3f  %14.1f  %15.3f  %14.2f  %13.1f\n", run, hosts.size(), jobs,
                whole, own, own / static_cast<double>(hosts.size()), children,
                static_cast<double>(peak) / 1024);
  }
  return 0;
}
