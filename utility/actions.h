// velkor's actions, one row each, by the request's action code: what the
// action prepares before the connection (the request's value: an upload's
// size once its file is checked, a script or page read, an association
// index), its exchange between the first and the final reply, and what
// the run says once the final reply came.  The command line (cmdline.h)
// names the action; the run (run.h) carries it out through its row.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cmdline.h"
#include "connection.h"
#include "download_file.h"
#include "run_output.h"

namespace velkor {

// What an exchange has to hand.
struct ActionWork {
  Connection& connection;
  const ParsedCommand& command;
  RunOutput& output;
  std::uint32_t value;     // the request's value
  std::string_view text;   // a script or page to upload
  DownloadFile& download;  // a download's file, put in place after the final reply
};

struct Action {
  std::uint8_t code;
  // Gives the request's value; nothing ends the run (the reason printed).
  std::optional<std::uint32_t> (*prepare)(const ParsedCommand& command, std::string& text);
  // False ends the run without the final reply; the throughput loops and
  // the disconnect messages leave it to the final reply to tell how they
  // went.
  bool (*exchange)(ActionWork& work);
  // Prints what a completed action says (unless silent); null: nothing.
  void (*completed)(const ParsedCommand& command);
};

// The row of an action code.  Every code the command line can name has
// one; any other gets the row of code 0 (the flags alone).
const Action& ActionOf(std::uint8_t code);

}  // namespace velkor
