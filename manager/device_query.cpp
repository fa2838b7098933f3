#include "device_query.h"

#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <vector>

#include "interrupts.h"
#include "query_board.h"
#include "subprocess.h"
#include "worker_group.h"

namespace halvex {

namespace {

constexpr std::size_t kWorkerStackBytes = 256 * 1024;
constexpr std::chrono::milliseconds kInterruptPoll{50};

// The scratch folder: made when missing; at the end only the files of this
// query go, and the folder itself only when nothing else is left in it.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::filesystem::path folder) : folder_(std::move(folder)) {
    std::error_code error;
    std::filesystem::create_directory(folder_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code error;
    for (const std::filesystem::path& file : files_) {
      if (std::filesystem::is_regular_file(std::filesystem::symlink_status(file, error))) {
        std::filesystem::remove(file, error);
      }
    }
    if (std::filesystem::is_directory(std::filesystem::symlink_status(folder_, error)) &&
        std::filesystem::is_empty(folder_, error) && !error) {
      std::filesystem::remove(folder_, error);
    }
  }
  void Note(const std::filesystem::path& file) {
    std::lock_guard lock(mutex_);
    files_.insert(file);
  }

 private:
  std::filesystem::path folder_;
  std::mutex mutex_;
  std::set<std::filesystem::path> files_;
};

}  // namespace

void RunQueryCommand(const QuerySetup& setup, const std::filesystem::path& program,
                     const ChildCommand& command, const ErrorSink& errorText,
                     const std::atomic<bool>& cancel) {
  std::vector<std::string> argv = command.words;
  argv[0] = program.string();
  CaptureOptions options;
  options.output = setup.workDir / command.answer;
  options.errorText = errorText;
  options.limit = setup.childLimit;
  options.cancel = &cancel;
  RunCaptured(argv, options);
}

void RunQuery(QuerySetup& setup, const std::string& prefix, Mode mode, const Settings& settings,
              DeviceTable& table) {
  Console& console = setup.console;
  console.SetColor(color::kYellow);
  console.Print("Checking CPEs " + prefix + "x/24." + " CRTL-BREAK to abort.\n");
  console.Print(std::string(50, '=') + "\n");
  if (setup.snmpwalk.empty()) setup.snmpwalk = FindProgram("snmpwalk", SearchPathFolders());
  if (setup.velkor.empty()) setup.velkor = FindProgram("velkor", VelkorFolders(setup.workDir));

  std::optional<HeldInterrupts> held;
  std::function<int()> noted = setup.interruptNoted;
  if (!noted) noted = [&held] { return held->Noted(); };
  if (!setup.interruptNoted) held.emplace();

  std::vector<int> hosts;
  for (int n = kFirstHost; n <= kLastHost; ++n) {
    if (table[n].alive) hosts.push_back(n);
  }
  ScratchFolder scratch(setup.workDir / kScratchFolder);
  std::atomic<bool> cancel{false};
  CommandRunner run = setup.run;
  if (!run) {
    run = [&setup](const std::filesystem::path& program, const ChildCommand& command,
                   const ErrorSink& errorText, const std::atomic<bool>& stop) {
      RunQueryCommand(setup, program, command, errorText, stop);
    };
  }
  const HostAsking asking{setup.workDir, setup.snmpwalk, setup.velkor, run, settings, mode, cancel,
                          [&scratch](const std::filesystem::path& file) { scratch.Note(file); }};
  QueryBoard board(hosts.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t slot; !cancel && (slot = next++) < hosts.size();) {
      const int n = hosts[slot];
      AskHost(asking, n, prefix + std::to_string(n), table[n], board, slot);
      board.Finish(slot);
    }
  };

  int signal = 0;
  {
    WorkerGroup workers(kWorkerStackBytes);
    const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(std::max(setup.jobs, 1)),
                                                     hosts.size());
    std::size_t started = 0;
    for (std::size_t i = 0; i < wanted; ++i) started += workers.Start(work) ? 1 : 0;
    if (started == 0 && !hosts.empty()) work();  // no thread to be had: ask them here
    int drawn = 0;
    for (;;) {
      const bool done = board.DrawReady(console);
      if (setup.progress && board.Drawn() != drawn) setup.progress(drawn = board.Drawn());
      if (done) break;
      if ((signal = noted()) != 0) {
        cancel = true;
        break;
      }
      board.WaitForNews(kInterruptPoll);
    }
  }
  if (held) {
    int last = held->Release();
    if (signal == 0) signal = last;
  }
  if (signal != 0) throw Interrupted{signal};
}

}  // namespace halvex
