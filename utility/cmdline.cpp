#include "cmdline.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "frames.h"
#include "socket.h"
#include "usage.h"

namespace velkor {

using namespace protocol;

namespace {

struct Name {
  const char* text;
  std::uint8_t number;
};

constexpr Name kScripts[] = {{"cbq", 1},       {"fw", 2},     {"nat", 3},   {"rad_users", 4},
                             {"rad_nas", 5},   {"proxy", 6},  {"dhcpd", 7}};
constexpr Name kPages[] = {{"login", 32},  {"alogin", 33},    {"mlogin", 34}, {"logout", 35},
                           {"status", 36}, {"noservice", 37}, {"splash", 38}};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

template <std::size_t N>
std::uint8_t Lookup(const Name (&names)[N], std::string_view word) {
  for (const Name& n : names) {
    if (SameIgnoringCase(n.text, word)) return n.number;
  }
  return 0;
}

// atoi for numbers that fit an int; beyond that the value sticks at the
// int limits (as with a 32-bit long), so that a huge word can never wrap
// around into a valid port or index.
int AtoI(const std::string& word) {
  long long value = std::strtoll(word.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

constexpr std::size_t kMaxDeviceName = 31;
constexpr std::size_t kMaxUserName = 255;

constexpr const char* kNoDevice = "Please specify a Wireless device name (such as wlan1, or wpci1)\n";
constexpr const char* kSaveTo = "Please specify an output file name to save too.\n";

// Reads the words after the server and the password into one command.
class Scanner {
 public:
  Scanner(const std::vector<std::string>& args, std::size_t start) : args_(args), pos_(start) {}

  // The next word, consumed whatever it looks like.
  const std::string* Next() { return pos_ < args_.size() ? &args_[pos_++] : nullptr; }
  // The next word when it does not look like an option, consumed.
  const std::string* NextValue() {
    if (pos_ >= args_.size() || args_[pos_][0] == '-') return nullptr;
    return &args_[pos_++];
  }

  // The option's one argument, a file: missing is the message without it.
  const char* TakePath(ParsedCommand& c, std::uint8_t action, const char* missing) {
    const std::string* arg = Next();
    if (!arg) return missing;
    c.action = action;
    c.path = *arg;
    return nullptr;
  }
  // A script or page name, then a file.
  const char* TakeSelectorAndPath(ParsedCommand& c, std::uint8_t action,
                                  std::uint8_t (*numberOf)(std::string_view),
                                  const char* unknown, const char* missing) {
    const std::string* name = Next();
    std::uint8_t number = name ? numberOf(*name) : 0;
    if (number == 0) return unknown;
    const std::string* file = Next();
    if (!file) return missing;
    c.action = action;
    c.selector = number;
    c.path = *file;
    return nullptr;
  }
  // A wireless device name: cut to 31 characters, must begin with wlan or wpci.
  const char* TakeDevice(ParsedCommand& c, std::uint8_t action) {
    const std::string* word = Next();
    if (!word) return kNoDevice;
    std::string device = word->substr(0, kMaxDeviceName);
    if (device.rfind("wlan", 0) != 0 && device.rfind("wpci", 0) != 0) return kNoDevice;
    c.device = device;
    c.action = action;
    return nullptr;
  }
  const char* TakeUser(ParsedCommand& c, std::uint8_t action, const char* missing,
                       const char* tooLong) {
    const std::string* arg = Next();
    if (!arg) return missing;
    if (arg->size() > kMaxUserName) return tooLong;
    c.action = action;
    c.user = *arg;
    return nullptr;
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t pos_;
};

// One option: its names (matched without regard to case) and what it
// does.  take returns nullptr when the option was taken, else the message
// the scan ends with, with exit status 1.
struct Option {
  const char* names[2];
  const char* (*take)(Scanner& s, ParsedCommand& c);
};

using Taken = const char*;

const Option kOptions[] = {
    {{"-s", "-silent"}, [](Scanner&, ParsedCommand& c) -> Taken { c.silent = true; return nullptr; }},
    {{"-a", "-apply"},
     [](Scanner&, ParsedCommand& c) -> Taken { c.flags |= kOptionApply; return nullptr; }},
    {{"-reboot", "-r"},
     [](Scanner&, ParsedCommand& c) -> Taken { c.flags |= kOptionReboot; return nullptr; }},
    {{"-p", "-port"},
     [](Scanner& s, ParsedCommand& c) -> Taken {
       const std::string* arg = s.Next();
       if (!arg) return "Please specify a port number.\n";
       auto port = static_cast<std::uint16_t>(AtoI(*arg));
       c.port = port == 0 ? kDefaultPort : port;
       return nullptr;
     }},
    {{"-d", "-save"},
     [](Scanner& s, ParsedCommand& c) { return s.TakePath(c, kActionDownloadConfig, kSaveTo); }},
    {{"-u", "-restore"},
     [](Scanner& s, ParsedCommand& c) {
       return s.TakePath(c, kActionUploadConfig, "Please specify the configuration to upload.\n");
     }},
    {{"-dscr", "-save_script"},
     [](Scanner& s, ParsedCommand& c) {
       return s.TakeSelectorAndPath(
           c, kActionDownloadScript, ScriptNumber,
           "Please specify a script to download, it can be cbq, fw, nat, rad_users, rad_nas, "
           "proxy, or dhcpd.\n",
           "Please specify a file name to save too.\n");
     }},
    {{"-uscr", "-restore_script"},
     [](Scanner& s, ParsedCommand& c) {
       return s.TakeSelectorAndPath(
           c, kActionUploadScript, ScriptNumber,
           "Please specify a script to upload, it can be cbq, fw, nat, rad_users, rad_nas, "
           "proxy, or dhcpd.\n",
           "Please specify a file name to upload.\n");
     }},
    {{"-ci"}, [](Scanner& s, ParsedCommand& c) { return s.TakeDevice(c, kActionCardInfo); }},
    {{"-ai"},
     [](Scanner& s, ParsedCommand& c) -> Taken {
       if (Taken failed = s.TakeDevice(c, kActionAssociations)) return failed;
       c.index = 0;
       if (const std::string* arg = s.NextValue()) {
         int index = AtoI(*arg);
         if (index < 1 || index > 256)
           return "Please specify an association index between 1 and 256\n";
         c.index = static_cast<std::uint32_t>(index);
       }
       return nullptr;
     }},
    {{"-da"}, [](Scanner&, ParsedCommand& c) -> Taken { c.details = true; return nullptr; }},
    {{"-rx"},
     [](Scanner&, ParsedCommand& c) -> Taken {
       c.action = kActionReceiveThroughput;
       return nullptr;
     }},
    {{"-tx"},
     [](Scanner&, ParsedCommand& c) -> Taken {
       c.action = kActionTransmitThroughput;
       return nullptr;
     }},
    {{"-dis_ppp"},
     [](Scanner& s, ParsedCommand& c) {
       return s.TakeUser(c, kActionDisconnectPpp, "Please specify a PPP username to disconnect.\n",
                         "PPP username must not be longer than 255 characters.\n");
     }},
    {{"-list_ppp"},
     [](Scanner&, ParsedCommand& c) -> Taken { c.action = kActionListPpp; return nullptr; }},
    {{"-dis_hot_user"},
     [](Scanner& s, ParsedCommand& c) {
       return s.TakeUser(c, kActionDisconnectHotspotUser,
                         "Please specify a hotspot username to disconnect.\n",
                         "hotspot username must not be longer than 255 characters.\n");
     }},
    {{"-dis_hot_ip"},
     [](Scanner& s, ParsedCommand& c) -> Taken {
       const std::string* arg = s.Next();
       if (!arg) return "Please specify a hotspot ip to disconnect.\n";
       std::uint32_t address = net::ParseDotted(arg->c_str());
       if (address == 0xFFFFFFFFu) return "invalid ip address.\n";
       c.action = kActionDisconnectHotspotIp;
       c.hotspotAddress = address;
       return nullptr;
     }},
    {{"-list_hot"},
     [](Scanner&, ParsedCommand& c) -> Taken { c.action = kActionListHotspot; return nullptr; }},
    {{"-list_hot_simple"},
     [](Scanner&, ParsedCommand& c) -> Taken {
       c.action = kActionListHotspot;
       c.simpleList = true;
       c.silent = true;
       return nullptr;
     }},
    {{"-dpage"},
     [](Scanner& s, ParsedCommand& c) {
       const char* message = "Please specify a hotspot page to download.\n";
       return s.TakeSelectorAndPath(c, kActionDownloadPage, PageNumber, message, message);
     }},
    {{"-upage"},
     [](Scanner& s, ParsedCommand& c) {
       const char* message = "Please specify a hotspot page to upload.\n";
       return s.TakeSelectorAndPath(c, kActionUploadPage, PageNumber, message, message);
     }},
    {{"-sysinfo"},
     [](Scanner&, ParsedCommand& c) -> Taken { c.action = kActionSystemInfo; return nullptr; }},
    {{"-kernlog"},
     [](Scanner&, ParsedCommand& c) -> Taken { c.action = kActionKernelLog; return nullptr; }},
    {{"-support"},
     [](Scanner& s, ParsedCommand& c) { return s.TakePath(c, kActionSupportFile, kSaveTo); }},
    {{"-f", "-upgrade"},
     [](Scanner& s, ParsedCommand& c) {
       return s.TakePath(c, kActionFirmware, "Please specify a firmware file to upload.\n");
     }},
};

const Option* FindOption(const std::string& word) {
  for (const Option& option : kOptions) {
    for (const char* name : option.names) {
      if (name && SameIgnoringCase(word, name)) return &option;
    }
  }
  return nullptr;
}

}  // namespace

std::string ProgramName(std::string_view argv0) {
  std::string_view name = argv0;
  if (auto slash = name.rfind('/'); slash != std::string_view::npos) {
    name = name.substr(slash + 1);
  } else if (auto back = name.rfind('\\'); back != std::string_view::npos) {
    name = name.substr(back + 1);
  }
  auto cut = name.find(".exe");
  if (cut == std::string_view::npos) cut = name.find(".EXE");
  return std::string(name.substr(0, cut));
}

std::uint8_t ScriptNumber(std::string_view name) { return Lookup(kScripts, name); }
std::uint8_t PageNumber(std::string_view name) { return Lookup(kPages, name); }

// Every path returns the one outcome object, so that it is never copied.
ScanOutcome ScanCommandLine(const std::vector<std::string>& args, const std::string& program) {
  ScanOutcome out;
  ParsedCommand& c = out.command;
  std::size_t start = 1;
  if (args.size() >= 2 && (args[1].empty() || args[1][0] != '-')) {
    c.password = args[1];
    start = 2;
  }
  if (start >= args.size()) {
    out.output = UsageText(program);
    return out;
  }
  c.server = args[0];

  Scanner scanner(args, start);
  while (const std::string* word = scanner.Next()) {
    const Option* option = FindOption(*word);
    if (!option) {
      out.output = "Unknown parameter: " + *word + "\n\n" + UsageText(program);
      return out;
    }
    if (const char* failed = option->take(scanner, c)) {
      out.exitCode = 1;
      out.output = failed;
      return out;
    }
  }
  if (c.action == kActionNone && c.flags == 0) {
    out.output = UsageText(program);
    return out;
  }
  out.run = true;
  return out;
}

}  // namespace velkor
