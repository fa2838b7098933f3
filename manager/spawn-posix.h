// What the POSIX child-process files share: posix_spawn's attributes and
// file actions, owned.  Every child starts with the signals the manager
// ignores or catches back at their defaults and none blocked; `flags` adds
// to that (POSIX_SPAWN_SETSID for a session of its own).
#pragma once

#include <signal.h>
#include <spawn.h>

#include <string>
#include <vector>

namespace halvex {

struct SpawnAttributes {
  posix_spawnattr_t attr;
  explicit SpawnAttributes(short flags = 0) {
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int s : {SIGINT, SIGQUIT, SIGPIPE, SIGTSTP, SIGTTOU, SIGTTIN, SIGTERM, SIGHUP, SIGCHLD}) {
      sigaddset(&defaults, s);
    }
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, static_cast<short>(POSIX_SPAWN_SETSIGDEF |
                                                       POSIX_SPAWN_SETSIGMASK | flags));
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attr); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
};

struct FileActions {
  posix_spawn_file_actions_t actions;
  FileActions() { posix_spawn_file_actions_init(&actions); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
};

// Starts argv[0] (a path, or a bare name looked up on the search path as a
// shell would; glibc reports a failed exec as the spawn's own error).
// Gives 0 or the error number.
int SpawnProgram(const std::vector<std::string>& argv, FileActions& files,
                 SpawnAttributes& attributes, pid_t& pid);

}  // namespace halvex
