// What a run shows, as its command line set it, and the progress line's
// state: the run owns one and hands it to the actions that show anything.
#pragma once

#include "progress.h"

namespace velkor {

struct RunOutput {
  // Silent mode (-s, -silent, -list_hot_simple): hides announcements,
  // progress lines and completion lines, never errors, reports or lists.
  bool silent = false;
  // Association details (-da): a second row per station in -ai.
  bool details = false;
  Progress progress;
};

}  // namespace velkor
