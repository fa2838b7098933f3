// Child programs on Windows: CreateProcess with a command line built from
// the argument list by the C runtime's quoting rules (argument_quoting.h),
// so that the child's argv is our list; never through cmd.exe.
#include "subprocess.h"

#include <windows.h>

#include <cwchar>
#include <thread>
#include <vector>

#include "argument_quoting.h"

namespace halvex {

namespace {

using SteadyClock = std::chrono::steady_clock;

class Handle {
 public:
  explicit Handle(HANDLE h = nullptr) : h_(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Reset(); }
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  void Reset(HANDLE h = nullptr) {
    if (valid()) CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_;
};

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

Handle OpenNull(DWORD access) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return Handle(CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, nullptr));
}

// Starts argv; the standard handles given are inherited (all three, or
// none for a child that shares the console).  Only those three: a child
// started at the same time by another thread must not inherit the handles
// of this one (a pipe inherited by the wrong child stays open).
bool Start(const std::vector<std::string>& argv, HANDLE in, HANDLE out, HANDLE err, DWORD flags,
           PROCESS_INFORMATION& process) {
  if (argv.empty() || argv[0].empty()) return false;
  std::wstring line = Wide(WindowsCommandLine(argv));
  STARTUPINFOEXW start{};
  start.StartupInfo.cb = sizeof start;
  bool redirect = in != nullptr;
  std::vector<char> attributeBuffer;
  HANDLE inherited[3] = {in, out, err};
  if (redirect) {
    start.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    start.StartupInfo.hStdInput = in;
    start.StartupInfo.hStdOutput = out;
    start.StartupInfo.hStdError = err;
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    attributeBuffer.resize(size);
    auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBuffer.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return false;
    // The same handle twice (output and error into one file) is listed once.
    std::size_t count = out == err ? 2 : 3;
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                   count * sizeof(HANDLE), nullptr, nullptr)) {
      DeleteProcThreadAttributeList(list);
      return false;
    }
    start.lpAttributeList = list;
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }
  BOOL ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, redirect ? TRUE : FALSE, flags,
                           nullptr, nullptr, &start.StartupInfo, &process);
  if (redirect) DeleteProcThreadAttributeList(start.lpAttributeList);
  return ok != 0;
}

// Hands what waits in the pipe to the receiver; false at its end.
bool Drain(HANDLE pipe, const std::function<void(std::string_view)>& receiver) {
  for (;;) {
    DWORD waiting = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr)) return false;
    if (waiting == 0) return true;
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(pipe, buffer, std::min<DWORD>(waiting, sizeof buffer), &got, nullptr) || got == 0)
      return false;
    if (receiver) receiver(std::string_view(buffer, got));
  }
}

bool Cancelled(const CaptureOptions& options) {
  return options.cancel != nullptr && options.cancel->load();
}

}  // namespace

ChildOutcome RunCaptured(const std::vector<std::string>& argv, const CaptureOptions& options) {
  ChildOutcome outcome;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  Handle output(CreateFileW(options.output.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                            &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!output.valid()) return outcome;
  Handle input = OpenNull(GENERIC_READ);
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return outcome;
  Handle errorRead(readEnd);
  Handle errorWrite(writeEnd);
  SetHandleInformation(errorRead.get(), HANDLE_FLAG_INHERIT, 0);  // ours alone

  // A job of its own, so that ending it ends what the child started too,
  // and so that the child does not outlive the manager.
  Handle job(CreateJobObjectW(nullptr, nullptr));
  if (job.valid()) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
  }
  PROCESS_INFORMATION process{};
  if (Cancelled(options) ||
      !Start(argv, input.get(), output.get(), errorWrite.get(), CREATE_SUSPENDED, process))
    return outcome;
  outcome.started = true;
  Handle child(process.hProcess);
  if (job.valid()) AssignProcessToJobObject(job.get(), child.get());
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  output.Reset();
  errorWrite.Reset();
  input.Reset();

  const SteadyClock::time_point deadline = SteadyClock::now() + options.limit;
  bool pipeOpen = true;
  for (;;) {
    if (pipeOpen) pipeOpen = Drain(errorRead.get(), options.errorText);
    if (WaitForSingleObject(child.get(), 10) == WAIT_OBJECT_0) break;
    const bool late = SteadyClock::now() >= deadline;
    if (late || Cancelled(options)) {
      if (!job.valid() || !TerminateJobObject(job.get(), 1)) TerminateProcess(child.get(), 1);
      WaitForSingleObject(child.get(), INFINITE);
      outcome.timedOut = late;
      break;
    }
  }
  if (pipeOpen) Drain(errorRead.get(), options.errorText);
  DWORD code = 0;
  if (!outcome.timedOut && GetExitCodeProcess(child.get(), &code))
    outcome.exitCode = static_cast<int>(code);
  return outcome;
}

int RunShared(const std::vector<std::string>& argv) {
  PROCESS_INFORMATION process{};
  if (!Start(argv, nullptr, nullptr, nullptr, 0, process)) return -1;
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

bool StartDetached(const std::vector<std::string>& argv) {
  Handle input = OpenNull(GENERIC_READ);
  Handle output = OpenNull(GENERIC_WRITE);
  PROCESS_INFORMATION process{};
  // A process group of its own: the console's Ctrl-C is not for it.
  if (!Start(argv, input.get(), output.get(), output.get(),
             DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

std::filesystem::path ExecutableFolder() {
  wchar_t path[MAX_PATH];
  DWORD size = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (size == 0 || size == MAX_PATH) return {};
  return std::filesystem::path(path).parent_path();
}

std::string ProgramFileName(std::string_view name) {
  std::string file(name);
  if (file.size() < 4 || _stricmp(file.c_str() + file.size() - 4, ".exe") != 0) file += ".exe";
  return file;
}

std::vector<std::filesystem::path> SearchPathFolders() {
  std::vector<std::filesystem::path> folders;
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "";
  while (!rest.empty()) {
    std::size_t semicolon = rest.find(';');
    std::string_view folder = rest.substr(0, semicolon);
    if (!folder.empty()) folders.emplace_back(std::string(folder));
    if (semicolon == std::string_view::npos) break;
    rest.remove_prefix(semicolon + 1);
  }
  return folders;
}

bool IsRunnable(const std::filesystem::path& file) {
  std::error_code error;
  return std::filesystem::is_regular_file(file, error);
}

}  // namespace halvex
