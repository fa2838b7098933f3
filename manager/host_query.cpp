#include "host_query.h"

#include "answer_file.h"
#include "console.h"
#include "text_cells.h"

namespace halvex {

namespace {

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

std::filesystem::path ScratchFile(const std::string& ip, const char* suffix) {
  return std::filesystem::path(kScratchFolder) / (ip + suffix);
}

class HostQuery {
 public:
  HostQuery(const HostAsking& asking, QueryBoard& board, std::size_t slot)
      : asking_(asking), board_(board), slot_(slot) {}

  void Ask(int host, const std::string& ip, DeviceEntry& entry) {
    board_.Add(slot_, {DrawStep::Kind::kLineStart, 0, {}});
    Text(ProgressStart(ip, host));

    Color(color::kLightRed);
    AnswerFile answer = Walk(ip, kSystemDescriptionOid, ".temp.txt");
    entry.sysDescr = answer.Line(1);
    Color(color::kYellow);
    if (entry.sysDescr.find("Instance") != std::string::npos) entry.sysDescr.clear();

    if (entry.sysDescr.find("Linux zeb-platform") != std::string::npos) {
      entry.firmware = "VERSION 1.?.?";
      entry.hardware = "XSCALE-ZEB";
      entry.serverAnswer = ServerAnswer::kNotAsked;
      return;
    }
    if (!entry.sysDescr.empty()) {
      entry.snmpState = SnmpState::kAnswered;
      entry.serverAnswer = ServerAnswer::kNotAsked;
      Text(entry.sysDescr.substr(0, 20) + "...  ");
    } else {
      entry.snmpState = SnmpState::kNoAnswer;
      if (Stopped()) return;
      AskSystemReport(ip, entry);
    }
    SplitDescription(entry);
    if (entry.serverAnswer == ServerAnswer::kOldServer) entry.firmware = kOldVersionText;
    if (asking_.mode != Mode::kFull || entry.snmpState != SnmpState::kAnswered) return;
    if (Stopped() || !AskWireless(ip, entry) || Stopped()) return;
    AskRegistrations(ip, entry);
  }

 private:
  void Text(std::string text) { board_.Add(slot_, {DrawStep::Kind::kText, 0, std::move(text)}); }
  void Color(int color) { board_.Add(slot_, {DrawStep::Kind::kColor, color, {}}); }
  bool Stopped() const { return asking_.cancel.load(); }

  AnswerFile Run(const std::filesystem::path& program, const ChildCommand& command,
                 AnswerFile::Values values) {
    std::filesystem::path answer = asking_.workDir / command.answer;
    if (asking_.noteFile) asking_.noteFile(answer);
    asking_.run(program, command, [this](std::string_view text) { Text(std::string(text)); },
                asking_.cancel);
    return AnswerFile::Read(answer, values);
  }

  AnswerFile Walk(const std::string& ip, const char* oid, const char* suffix) {
    return Run(asking_.snmpwalk, SnmpWalkCommand(asking_.settings.community, ip, oid, suffix),
               AnswerFile::Values::kSnmpValues);
  }

  void AskSystemReport(const std::string& ip, DeviceEntry& entry) {
    AnswerFile answer = Run(asking_.velkor, SystemReportCommand(ip, asking_.settings.password),
                            AnswerFile::Values::kAsPrinted);
    const std::string& first = answer.Line(1);
    entry.sysDescr = answer.Line(2);
    entry.serverAnswer = ServerAnswer::kReport;
    if (StartsWith(first, "Server reported an error:")) {
      Text("OLD ");
      entry.serverAnswer = ServerAnswer::kOldServer;
      entry.sysDescr.clear();
    } else if (StartsWith(first, "Unable to talk with server")) {
      Text(kUnknownText);
      entry.sysDescr.clear();
    }
    if (entry.serverAnswer == ServerAnswer::kReport && entry.sysDescr.empty()) {
      entry.serverAnswer = ServerAnswer::kNoAnswer;
    }
    const std::string shown =
        entry.serverAnswer == ServerAnswer::kOldServer ? kOldVersionText : entry.sysDescr;
    Color(color::kLightRed);
    Text(shown.substr(0, 20));
    Color(color::kYellow);
  }

  // False when the unit has more than one card: nothing more is asked.
  bool AskWireless(const std::string& ip, DeviceEntry& entry) {
    AnswerFile answer = Walk(ip, kWirelessOid, ".info.txt");
    entry.mac = answer.Line(2);
    if (StartsWith(entry.mac, "wpci")) {
      entry.mac = "MULTIPLE";
      return false;
    }
    entry.registrations = RegistrationCount(answer.Line(3));
    Text("  ");
    if (entry.registrations > 1) Color(color::kLightMagenta);
    Text(NumberText(entry.registrations) + " ");
    Color(color::kYellow);
    entry.quality = answer.Line(4);
    entry.signal = answer.Line(5);
    entry.noise = answer.Line(6);
    for (const std::string* figure : {&entry.quality, &entry.signal, &entry.noise}) {
      std::string cell = " ";
      Text(cell += FitRight(*figure, 4));
    }
    return true;
  }

  // The table comes column by column, `registrations` lines a column; what
  // is kept of a column is its last row.  Columns 8, 9 and 10 are shown.
  void AskRegistrations(const std::string& ip, DeviceEntry& entry) {
    AnswerFile answer = Walk(ip, kRegistrationOid, ".apinfo.txt");
    const std::size_t rows = static_cast<std::size_t>(std::max<int>(entry.registrations, 0));
    if (rows == 0) return;
    entry.linkDb = answer.Line(8 * rows);
    entry.linkRx = answer.Line(9 * rows);
    entry.linkTx = answer.Line(10 * rows);
  }

  const HostAsking& asking_;
  QueryBoard& board_;
  std::size_t slot_;
};

}  // namespace

void AskHost(const HostAsking& asking, int host, const std::string& ip, DeviceEntry& entry,
             QueryBoard& board, std::size_t slot) {
  HostQuery(asking, board, slot).Ask(host, ip, entry);
}

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

  if (d.empty()) entry.firmware = kUnknownText;
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

}  // namespace halvex
