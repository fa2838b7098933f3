#include "device_query.h"

#include <set>
#include <system_error>

#include "answer_file.h"
#include "subprocess.h"
#include "sweep.h"

namespace halvex {

namespace {

constexpr int kProgressBlank = 88;

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
  void Note(const std::filesystem::path& file) { files_.insert(file); }

 private:
  std::filesystem::path folder_;
  std::set<std::filesystem::path> files_;
};

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

class HostQuery {
 public:
  HostQuery(QuerySetup& setup, ScratchFolder& scratch, const Settings& settings)
      : setup_(setup), console_(setup.console), scratch_(scratch), settings_(settings) {}

  void Ask(int host, const std::string& ip, int mode, DeviceEntry& entry) {
    console_.Print(std::string(kProgressBlank, ' '));
    console_.CompleteWrap();
    console_.MoveTo(console_.Row(), 1);
    console_.Print(ProgressStart(ip, host));

    console_.SetColor(color::kLightRed);
    AnswerFile answer = Walk(ip, kSystemDescriptionOid, ".temp.txt");
    entry.sysDescr = answer.Line(1);
    console_.SetColor(color::kYellow);
    if (entry.sysDescr.find("Instance") != std::string::npos) entry.sysDescr.clear();

    if (entry.sysDescr.find("Linux zeb-platform") != std::string::npos) {
      entry.firmware = "VERSION 1.?.?";
      entry.hardware = "XSCALE-ZEB";
      return;
    }
    if (!entry.sysDescr.empty()) {
      entry.snmpState = 1;
      console_.Print(entry.sysDescr.substr(0, 20) + "...  ");
    } else {
      entry.snmpState = 0;
      AskSystemReport(ip, entry);
    }
    SplitDescription(entry);
    if (mode != kModeFull || entry.snmpState != 1) return;
    if (!AskWireless(ip, entry)) return;
    AskRegistrations(ip, entry);
  }

 private:
  AnswerFile Run(const std::filesystem::path& program, const ChildCommand& command,
                 AnswerFile::Values values) {
    std::filesystem::path answer = setup_.workDir / command.answer;
    scratch_.Note(answer);
    if (setup_.run) {
      setup_.run(program, command);
    } else {
      RunQueryCommand(setup_, program, command);
    }
    return AnswerFile::Read(answer, values);
  }

  AnswerFile Walk(const std::string& ip, const char* oid, const char* suffix) {
    return Run(setup_.snmpwalk, SnmpWalkCommand(settings_.community, ip, oid, suffix),
               AnswerFile::Values::kSnmpValues);
  }

  void AskSystemReport(const std::string& ip, DeviceEntry& entry) {
    AnswerFile answer = Run(setup_.velkor, SystemReportCommand(ip, settings_.password),
                            AnswerFile::Values::kAsPrinted);
    const std::string& first = answer.Line(1);
    entry.sysDescr = answer.Line(2);
    if (StartsWith(first, "Server reported an error:")) {
      console_.Print("OLD ");
      entry.sysDescr = "OLDVERSION";
    }
    if (StartsWith(first, "Unable to talk with server")) {
      console_.Print("UNKNOWN");
      entry.sysDescr.clear();
    }
    console_.SetColor(color::kLightRed);
    console_.Print(entry.sysDescr.substr(0, 20));
    console_.SetColor(color::kYellow);
  }

  // False when the unit has more than one card: nothing more is asked.
  bool AskWireless(const std::string& ip, DeviceEntry& entry) {
    AnswerFile answer = Walk(ip, kWirelessOid, ".info.txt");
    entry.interfaceName = answer.Line(1);
    entry.mac = answer.Line(2);
    if (StartsWith(entry.mac, "wpci")) {
      entry.mac = "MULTIPLE";
      return false;
    }
    entry.registrations = RegistrationCount(answer.Line(3));
    console_.Print("  ");
    if (entry.registrations > 1) console_.SetColor(color::kLightMagenta);
    console_.Print(NumberText(entry.registrations) + " ");
    console_.SetColor(color::kYellow);
    entry.quality = answer.Line(4);
    entry.signal = answer.Line(5);
    entry.noise = answer.Line(6);
    for (const std::string* figure : {&entry.quality, &entry.signal, &entry.noise}) {
      std::string cell = " ";
      console_.Print(cell += FitRight(*figure, 4));
    }
    entry.wirelessExtra = answer.Line(7);
    return true;
  }

  // The table comes column by column, `registrations` lines a column; what
  // is kept of a column is its last row.
  void AskRegistrations(const std::string& ip, DeviceEntry& entry) {
    AnswerFile answer = Walk(ip, kRegistrationOid, ".apinfo.txt");
    std::string* kept[11] = {nullptr,           nullptr,      &entry.linkColumn2,
                             &entry.linkColumn3, &entry.linkColumn4, nullptr,
                             nullptr,            nullptr,      &entry.linkDb,
                             &entry.linkRx,      &entry.linkTx};
    const std::size_t rows = static_cast<std::size_t>(std::max<int>(entry.registrations, 0));
    if (rows == 0) return;
    for (std::size_t column = 1; column <= 10; ++column) {
      if (kept[column] != nullptr) *kept[column] = answer.Line(column * rows);
    }
  }

  QuerySetup& setup_;
  Console& console_;
  ScratchFolder& scratch_;
  const Settings& settings_;
};

std::filesystem::path ScratchFile(const std::string& ip, const char* suffix) {
  return std::filesystem::path(kScratchFolder) / (ip + suffix);
}

}  // namespace

ChildCommand SnmpWalkCommand(const std::string& community, const std::string& ip,
                             const char* oid, const char* answerSuffix) {
  return {{"snmpwalk", "-v", "2c", "-Ov", "-Oq", "-c", community, ip, oid},
          ScratchFile(ip, answerSuffix)};
}

ChildCommand SystemReportCommand(const std::string& ip, const std::string& password) {
  // The password is its own word even when empty: velkor would otherwise
  // ask for it on a terminal that its redirected output hides.
  return {{"velkor", ip, password, "-sysinfo"}, ScratchFile(ip, ".temp.txt")};
}

std::string ProgressStart(const std::string& ip, int host) {
  std::string text = ip;
  if (host < 100) text += ' ';
  if (host < 10) text += ' ';
  return text + " | Ver = ";
}

void SplitDescription(DeviceEntry& entry) {
  const std::string& d = entry.sysDescr;
  std::string firmware = d.substr(0, d.find(" build"));
  std::size_t space = firmware.find(' ');
  if (space != std::string::npos) firmware = firmware.substr(space + 1);
  entry.firmware = firmware;

  std::size_t build = d.find("build ");
  entry.build = build == std::string::npos ? std::string() : d.substr(build + 6);
  entry.build = entry.build.substr(0, entry.build.find(' '));

  std::string hardware = d.substr(0, d.find(']'));
  std::size_t open = hardware.find('[');
  entry.hardware = open == std::string::npos ? std::string() : hardware.substr(open + 1);

  if (d.empty()) entry.firmware = "UNKNOWN";
}

std::int16_t RegistrationCount(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  bool negative = false;
  if (i < line.size() && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
  long value = 0;
  bool digits = false;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
    digits = true;
    value = value * 10 + (line[i] - '0');
    if (value > 32767) return 0;
  }
  if (!digits || negative) return 0;
  return static_cast<std::int16_t>(value);
}

std::string FitRight(std::string_view text, std::size_t width) {
  if (text.size() >= width) return std::string(text.substr(0, width));
  return std::string(width - text.size(), ' ') + std::string(text);
}

void RunQueryCommand(const QuerySetup& setup, const std::filesystem::path& program,
                     const ChildCommand& command) {
  std::vector<std::string> argv = command.words;
  argv[0] = program.string();
  CaptureOptions options;
  options.output = setup.workDir / command.answer;
  options.errorText = [&setup](std::string_view text) { setup.console.Print(text); };
  options.limit = setup.childLimit;
  RunCaptured(argv, options);
}

void runQuery(QuerySetup& setup, const std::string& prefix, int mode, const Settings& settings,
              DeviceTable& table) {
  Console& console = setup.console;
  console.SetColor(color::kYellow);
  console.Print("Checking CPEs " + prefix + "x/24." + " CRTL-BREAK to abort.\n");
  console.Print(std::string(50, '=') + "\n");
  if (setup.snmpwalk.empty()) setup.snmpwalk = FindProgram("snmpwalk", SearchPathFolders());
  if (setup.velkor.empty()) setup.velkor = FindProgram("velkor", VelkorFolders(setup.workDir));

  ScratchFolder scratch(setup.workDir / kScratchFolder);
  HostQuery query(setup, scratch, settings);
  if (mode != kModeFirmware && mode != kModeFull) return;
  for (int n = kFirstHost; n <= kLastHost; ++n) {
    if (table[n].alive != 1) continue;
    query.Ask(n, prefix + std::to_string(n), mode, table[n]);
  }
}

}  // namespace halvex
