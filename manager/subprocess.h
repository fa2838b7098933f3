// Child programs of the manager, started from an argument list and never
// through a shell, so that no character of an argument (a community or a
// password from the settings file) can run a command.
//
// subprocess-posix.cpp implements it with posix_spawn, subprocess-win32.cpp
// with CreateProcess (each argument quoted as the C runtime reads it).
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace halvex {

// How a captured run ended.
struct ChildOutcome {
  bool started = false;   // false: the program could not be started at all
  bool timedOut = false;  // ended by the manager after the time limit
  int exitCode = -1;      // the program's status when it ended by itself
};

struct CaptureOptions {
  // Created (or emptied) by the manager before the child starts; it holds
  // the child's standard output.
  std::filesystem::path output;
  // Receives the child's standard error as it arrives, to be drawn on the
  // manager's console.  May be empty: the text is then dropped.
  std::function<void(std::string_view)> errorText;
  // A child still running after this long is ended; what it printed so
  // far stays in the output file.
  std::chrono::milliseconds limit{30000};
  // When this becomes true the child is ended at once (and none is started
  // once it is).  May be null.
  const std::atomic<bool>* cancel = nullptr;
};

// Runs argv[0] (a path, or a bare name looked up on the search path) with
// standard input from the null device, standard output into
// options.output and standard error to options.errorText, and waits for
// it.  A program that cannot be started leaves the output file empty.
// When the output file cannot be created the child is not started.  The
// child runs apart from the terminal's keyboard signals (the manager ends
// it itself), and ending it ends whatever it started too.
ChildOutcome RunCaptured(const std::vector<std::string>& argv, const CaptureOptions& options);

// Runs a program on the manager's own terminal (standard input, output
// and error shared) and waits for it; its exit status, or -1 when it could
// not be started.
int RunShared(const std::vector<std::string>& argv);

// Starts a program that runs on its own: not waited for, no handle kept,
// standard input and output on the null device.  False when it could not be
// started.
bool StartDetached(const std::vector<std::string>& argv);

// The folder that holds the running program.  Empty when unknown.
std::filesystem::path ExecutableFolder();

// What the platform adds to a program's name ("" or ".exe").
std::string ProgramFileName(std::string_view name);

// The folders of the search path, in order.
std::vector<std::filesystem::path> SearchPathFolders();

// True for a plain file that may be run.
bool IsRunnable(const std::filesystem::path& file);

}  // namespace halvex
