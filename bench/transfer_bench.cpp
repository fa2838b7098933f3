// On-demand benchmark of the file transfers, not part of the tests:
// uploads and then downloads one large configuration between velkor and
// unitsim over loopback, and measures in the same run what plain TCP does
// on this machine.
//
//   transfer_bench [--size MIB] [--velkor PATH] [--unitsim PATH]
//
// Prints, for each direction, MB/s (10^6 bytes per second) and the peak
// resident set of both processes, and the raw loopback rates.  Linux only:
// it reads peak memory from /proc and from the child's resource usage.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Rate(std::uint64_t bytes, double seconds) { return bytes / seconds / 1e6; }

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "transfer_bench: %s\n", why.c_str());
  std::exit(1);
}

// Writes size bytes that do not compress into a repeating pattern.
void MakeFile(const fs::path& path, std::uint64_t size) {
  std::ofstream out(path, std::ios::binary);
  std::vector<std::uint32_t> chunk(1 << 18);  // 1 MiB
  std::uint32_t x = 12345;
  for (std::uint64_t written = 0; written < size;) {
    for (auto& w : chunk) w = x = x * 1664525u + 1013904223u;
    std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(size - written, chunk.size() * 4));
    out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(n));
    written += n;
  }
  if (!out) Die("cannot write " + path.string());
}

bool SameContent(const fs::path& a, const fs::path& b) {
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  std::vector<char> ba(1 << 20), bb(1 << 20);
  while (fa && fb) {
    fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
    fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
    if (fa.gcount() != fb.gcount() || std::memcmp(ba.data(), bb.data(), fa.gcount()) != 0)
      return false;
  }
  return fa.eof() && fb.eof();
}

// Peak resident set of a running process, in KiB.
long PeakKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

pid_t Spawn(const std::vector<std::string>& argv, const fs::path& out) {
  pid_t pid = fork();
  if (pid == 0) {
    int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 1);
    dup2(fd, 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  return pid;
}

struct Server {
  pid_t pid = -1;
  std::uint16_t port = 0;
};

Server StartUnitsim(const std::string& unitsim, const fs::path& dir) {
  fs::path ready = dir / "ready";
  fs::remove(ready);
  Server s;
  s.pid = Spawn({unitsim, "--bind", "127.0.0.1", "--port", "0", "--ready-file", ready.string(),
                 "--log", (dir / "unitsim.log").string(), (dir / "unit.toml").string()},
                dir / "unitsim.out");
  for (int i = 0; i < 2000; ++i) {
    std::ifstream in(ready);
    std::string address;
    unsigned port = 0;
    if (in >> address >> port) {
      s.port = static_cast<std::uint16_t>(port);
      return s;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  Die("unitsim did not start; see " + (dir / "unitsim.out").string());
}

void StopUnitsim(Server& s) {
  kill(s.pid, SIGTERM);
  waitpid(s.pid, nullptr, 0);
}

struct Run {
  double seconds = 0;
  long velkorKib = 0;
  long unitsimKib = 0;
};

Run RunVelkor(const std::string& velkor, const Server& server, const std::string& option,
              const fs::path& file, const fs::path& dir) {
  Run run;
  auto start = Clock::now();
  pid_t pid = Spawn({velkor, "127.0.0.1", "BlueOx", "-p", std::to_string(server.port), option,
                     file.string(), "-s"},
                    dir / "velkor.out");
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.seconds = Seconds(start);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::ifstream out(dir / "velkor.out");
    std::stringstream text;
    text << out.rdbuf();
    Die("velkor " + option + " failed: " + text.str());
  }
  run.velkorKib = usage.ru_maxrss;
  run.unitsimKib = PeakKiB(server.pid);
  return run;
}

// Sends size bytes over loopback in pieces of `piece` bytes, waiting for
// the socket to be writable before each when `wait` is set; the receiver
// reads 64 KiB at a time.
double RawCopy(std::uint64_t size, std::size_t piece, bool wait) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    Die("cannot listen on loopback");
  std::thread receiver([listener] {
    int fd = accept(listener, nullptr, nullptr);
    std::vector<char> buffer(65536);
    while (recv(fd, buffer.data(), buffer.size(), 0) > 0) {
    }
    close(fd);
  });
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    Die("cannot connect on loopback");
  std::vector<char> data(piece, 'r');
  auto start = Clock::now();
  for (std::uint64_t sent = 0; sent < size;) {
    if (wait) {
      pollfd p{fd, POLLOUT, 0};
      poll(&p, 1, 20000);
    }
    auto count = static_cast<std::size_t>(std::min<std::uint64_t>(piece, size - sent));
    ssize_t n = send(fd, data.data(), count, 0);
    if (n <= 0) Die("loopback send failed");
    sent += static_cast<std::uint64_t>(n);
  }
  shutdown(fd, SHUT_WR);
  receiver.join();
  double seconds = Seconds(start);
  close(fd);
  close(listener);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t mib = 256;
  std::string velkor = VELKOR_PATH;
  std::string unitsim = UNITSIM_PATH;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--size") mib = std::strtoull(argv[i + 1], nullptr, 10);
    else if (option == "--velkor") velkor = argv[i + 1];
    else if (option == "--unitsim") unitsim = argv[i + 1];
    else Die("unknown option " + option);
  }
  if (mib == 0 || mib > 4095) Die("--size must be 1 to 4095 MiB");
  const std::uint64_t size = mib << 20;

  fs::path dir = fs::temp_directory_path() / ("transfer-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  {
    std::ofstream toml(dir / "unit.toml");
    toml << "[[unit]]\naddress = \"127.0.0.1\"\nname = \"bench\"\npassword = \"BlueOx\"\n"
         << "config_max_bytes = " << size << "\nstate = \"state\"\n";
  }
  fs::path source = dir / "source.dat";
  fs::path back = dir / "back.dat";
  MakeFile(source, size);

  double rawLarge = RawCopy(size, 65536, false);
  double rawBlocks = RawCopy(size, 1462, true);

  Server upServer = StartUnitsim(unitsim, dir);
  Run up = RunVelkor(velkor, upServer, "-u", source, dir);
  StopUnitsim(upServer);

  Server downServer = StartUnitsim(unitsim, dir);  // the stored file survives
  Run down = RunVelkor(velkor, downServer, "-d", back, dir);
  StopUnitsim(downServer);
  bool same = SameContent(source, back);

  std::printf("transfer of %llu MiB over loopback (MB = 10^6 bytes)\n",
              static_cast<unsigned long long>(mib));
  std::printf("  %-34s %9s %14s %15s\n", "", "MB/s", "velkor peak", "unitsim peak");
  std::printf("  %-34s %9.0f %10.1f MiB %11.1f MiB\n", "upload   (velkor -u)",
              Rate(size, up.seconds), up.velkorKib / 1024.0, up.unitsimKib / 1024.0);
  std::printf("  %-34s %9.0f %10.1f MiB %11.1f MiB\n", "download (velkor -d)",
              Rate(size, down.seconds), down.velkorKib / 1024.0, down.unitsimKib / 1024.0);
  std::printf("  %-34s %9.0f\n", "raw TCP, 64 KiB sends", Rate(size, rawLarge));
  std::printf("  %-34s %9.0f\n", "raw TCP, 1462-byte sends with poll", Rate(size, rawBlocks));
  std::printf("  downloaded file %s the uploaded one\n", same ? "matches" : "DIFFERS FROM");
  fs::remove_all(dir);
  return same ? 0 : 1;
}
