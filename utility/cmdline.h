// velkor's command line: one server, an optional password and options that
// name exactly one action.  The scan fills a ParsedCommand, or says what to
// print and with which exit code the program ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

struct ParsedCommand {
  std::string server;
  std::optional<std::string> password;  // absent: asked for on the terminal
  std::uint16_t port = 856;
  std::uint8_t action = 0;  // ActionCode; the last action option wins
  std::optional<std::string> path;
  std::uint8_t selector = 0;  // script 1-7 or page 32-38
  std::uint8_t flags = 0;     // kOptionApply, kOptionReboot
  std::string device;         // at most 31 characters
  std::uint32_t index = 0;    // -ai association index, 0 when none
  std::optional<std::string> user;    // at most 255 characters
  std::uint32_t hotspotAddress = 0;  // network byte order
  bool simpleList = false;
  bool silent = false;
  bool details = false;
};

struct ScanOutcome {
  bool run = false;    // false: print output and end with exitCode
  int exitCode = 0;
  std::string output;  // usage text or message, printed before anything else
  ParsedCommand command;
};

// The part of argv[0] after the last "/" (else "\"), cut at ".exe" (else ".EXE").
std::string ProgramName(std::string_view argv0);

// args are the words after the program name.
ScanOutcome ScanCommandLine(const std::vector<std::string>& args, const std::string& program);

// Script and hotspot page names, matched without regard to case; 0 = unknown.
std::uint8_t ScriptNumber(std::string_view name);
std::uint8_t PageNumber(std::string_view name);

}  // namespace velkor
