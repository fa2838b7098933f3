#include "cmdline.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "frames.h"
#include "socket.h"
#include "usage.h"

namespace velkor {

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

class Scanner {
 public:
  Scanner(const std::vector<std::string>& args, std::size_t start, const std::string& program)
      : args_(args), pos_(start), program_(program) {}

  ScanOutcome Scan(ParsedCommand command);

 private:
  bool Is(const std::string& word, std::initializer_list<const char*> names) const {
    for (const char* n : names)
      if (SameIgnoringCase(word, n)) return true;
    return false;
  }
  // The next word, consumed whatever it looks like.
  const std::string* Next() { return pos_ < args_.size() ? &args_[pos_++] : nullptr; }
  const std::string* Peek() const { return pos_ < args_.size() ? &args_[pos_] : nullptr; }

  ScanOutcome Fail(const char* message) {
    ScanOutcome out;
    out.exit_code = 1;
    out.output = message;
    return out;
  }
  // A wireless device name: cut to 31 characters, must begin with wlan or wpci.
  bool TakeDevice(ParsedCommand& c) {
    const std::string* word = Next();
    if (!word) return false;
    std::string device = word->substr(0, kMaxDeviceName);
    if (device.rfind("wlan", 0) != 0 && device.rfind("wpci", 0) != 0) return false;
    c.device = device;
    return true;
  }

  const std::vector<std::string>& args_;
  std::size_t pos_;
  const std::string& program_;
};

ScanOutcome Scanner::Scan(ParsedCommand c) {
  while (const std::string* word_ptr = Next()) {
    const std::string& w = *word_ptr;
    if (Is(w, {"-s", "-silent"})) {
      c.silent = true;
    } else if (Is(w, {"-a", "-apply"})) {
      c.flags |= kOptionApply;
    } else if (Is(w, {"-reboot", "-r"})) {
      c.flags |= kOptionReboot;
    } else if (Is(w, {"-p", "-port"})) {
      const std::string* arg = Next();
      if (!arg) return Fail("Please specify a port number.\n");
      auto port = static_cast<std::uint16_t>(AtoI(*arg));
      c.port = port == 0 ? kDefaultPort : port;
    } else if (Is(w, {"-d", "-save"})) {
      const std::string* arg = Next();
      if (!arg) return Fail("Please specify an output file name to save too.\n");
      c.action = kActionDownloadConfig;
      c.path = *arg;
    } else if (Is(w, {"-u", "-restore"})) {
      const std::string* arg = Next();
      if (!arg) return Fail("Please specify the configuration to upload.\n");
      c.action = kActionUploadConfig;
      c.path = *arg;
    } else if (Is(w, {"-dscr", "-save_script"})) {
      const std::string* script = Next();
      std::uint8_t number = script ? ScriptNumber(*script) : 0;
      if (number == 0)
        return Fail(
            "Please specify a script to download, it can be cbq, fw, nat, rad_users, rad_nas, "
            "proxy, or dhcpd.\n");
      const std::string* file = Next();
      if (!file) return Fail("Please specify a file name to save too.\n");
      c.action = kActionDownloadScript;
      c.selector = number;
      c.path = *file;
    } else if (Is(w, {"-uscr", "-restore_script"})) {
      const std::string* script = Next();
      std::uint8_t number = script ? ScriptNumber(*script) : 0;
      if (number == 0)
        return Fail(
            "Please specify a script to upload, it can be cbq, fw, nat, rad_users, rad_nas, "
            "proxy, or dhcpd.\n");
      const std::string* file = Next();
      if (!file) return Fail("Please specify a file name to upload.\n");
      c.action = kActionUploadScript;
      c.selector = number;
      c.path = *file;
    } else if (Is(w, {"-ci"})) {
      if (!TakeDevice(c))
        return Fail("Please specify a Wireless device name (such as wlan1, or wpci1)\n");
      c.action = kActionCardInfo;
    } else if (Is(w, {"-ai"})) {
      if (!TakeDevice(c))
        return Fail("Please specify a Wireless device name (such as wlan1, or wpci1)\n");
      c.action = kActionAssociations;
      c.index = 0;
      const std::string* arg = Peek();
      if (arg && (*arg)[0] != '-') {
        ++pos_;
        int index = AtoI(*arg);
        if (index < 1 || index > 256)
          return Fail("Please specify an association index between 1 and 256\n");
        c.index = static_cast<std::uint32_t>(index);
      }
    } else if (Is(w, {"-da"})) {
      c.details = true;
    } else if (Is(w, {"-rx"})) {
      c.action = kActionReceiveThroughput;
    } else if (Is(w, {"-tx"})) {
      c.action = kActionTransmitThroughput;
    } else if (Is(w, {"-dis_ppp"})) {
      const std::string* arg = Next();
      if (!arg) return Fail("Please specify a PPP username to disconnect.\n");
      if (arg->size() > kMaxUserName)
        return Fail("PPP username must not be longer than 255 characters.\n");
      c.action = kActionDisconnectPpp;
      c.user = *arg;
    } else if (Is(w, {"-list_ppp"})) {
      c.action = kActionListPpp;
    } else if (Is(w, {"-dis_hot_user"})) {
      const std::string* arg = Next();
      if (!arg) return Fail("Please specify a hotspot username to disconnect.\n");
      if (arg->size() > kMaxUserName)
        return Fail("hotspot username must not be longer than 255 characters.\n");
      c.action = kActionDisconnectHotspotUser;
      c.user = *arg;
    } else if (Is(w, {"-dis_hot_ip"})) {
      const std::string* arg = Next();
      if (!arg) return Fail("Please specify a hotspot ip to disconnect.\n");
      std::uint32_t address = net::ParseDotted(arg->c_str());
      if (address == 0xFFFFFFFFu) return Fail("invalid ip address.\n");
      c.action = kActionDisconnectHotspotIp;
      c.hotspot_address = address;
    } else if (Is(w, {"-list_hot"})) {
      c.action = kActionListHotspot;
    } else if (Is(w, {"-list_hot_simple"})) {
      c.action = kActionListHotspot;
      c.simple_list = true;
      c.silent = true;
    } else if (Is(w, {"-dpage", "-upage"})) {
      bool download = Is(w, {"-dpage"});
      const char* message = download ? "Please specify a hotspot page to download.\n"
                                     : "Please specify a hotspot page to upload.\n";
      const std::string* page = Next();
      std::uint8_t number = page ? PageNumber(*page) : 0;
      if (number == 0) return Fail(message);
      const std::string* file = Next();
      if (!file) return Fail(message);
      c.action = download ? kActionDownloadPage : kActionUploadPage;
      c.selector = number;
      c.path = *file;
    } else if (Is(w, {"-sysinfo"})) {
      c.action = kActionSystemInfo;
    } else if (Is(w, {"-kernlog"})) {
      c.action = kActionKernelLog;
    } else if (Is(w, {"-support"})) {
      const std::string* arg = Next();
      if (!arg) return Fail("Please specify an output file name to save too.\n");
      c.action = kActionSupportFile;
      c.path = *arg;
    } else if (Is(w, {"-f", "-upgrade"})) {
      const std::string* arg = Next();
      if (!arg) return Fail("Please specify a firmware file to upload.\n");
      c.action = kActionFirmware;
      c.path = *arg;
    } else {
      ScanOutcome out;
      out.output = "Unknown parameter: " + w + "\n\n" + UsageText(program_);
      return out;
    }
  }

  ScanOutcome out;
  if (c.action == kActionNone && c.flags == 0) {
    out.output = UsageText(program_);
    return out;
  }
  out.run = true;
  out.command = std::move(c);
  return out;
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

ScanOutcome ScanCommandLine(const std::vector<std::string>& args, const std::string& program) {
  if (args.size() < 2) {
    ScanOutcome out;
    out.output = UsageText(program);
    return out;
  }
  ParsedCommand command;
  command.server = args[0];
  std::size_t start = 1;
  if (args[1].empty() || args[1][0] != '-') {
    command.password = args[1];
    start = 2;
  }
  if (start >= args.size()) {
    ScanOutcome out;
    out.output = UsageText(program);
    return out;
  }
  return Scanner(args, start, program).Scan(std::move(command));
}

}  // namespace velkor
