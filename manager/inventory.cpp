#include "inventory.h"

#include <chrono>
#include <cstdio>

#include "answers.h"
#include "device_cells.h"
#include "device_query.h"
#include "null_screen.h"
#include "sweep.h"
#include "terminal.h"

namespace halvex {

namespace {

constexpr const char* kFullFields[] = {"mac", "quality", "signal", "noise", "db", "rx", "tx"};
constexpr const char* kFields[] = {"address", "ping_ms", "source", "firmware", "build", "hardware"};

const char* SourceOf(const DeviceEntry& e) {
  if (e.snmpState == SnmpState::kAnswered) return "snmp";
  switch (e.serverAnswer) {
    case ServerAnswer::kNotAsked: return "zeb";
    case ServerAnswer::kReport: return "velkor";
    case ServerAnswer::kOldServer: return "old";
    case ServerAnswer::kNoAnswer: return "unknown";
  }
  return "unknown";
}

// A JSON number written as the value has it ("-61", "2.5"), leading zeros
// of its whole part dropped; nothing when the value is no number.
std::optional<std::string> NumberOf(const std::string& value) {
  std::size_t i = value.size() > 1 && value[0] == '-' ? 1 : 0;
  const std::size_t digits = i;
  while (i < value.size() && value[i] >= '0' && value[i] <= '9') ++i;
  if (i == digits) return std::nullopt;
  std::size_t whole = i;
  if (i < value.size() && value[i] == '.') {
    const std::size_t fraction = ++i;
    while (i < value.size() && value[i] >= '0' && value[i] <= '9') ++i;
    if (i == fraction) return std::nullopt;
  }
  if (i != value.size()) return std::nullopt;
  std::size_t first = value.find_first_not_of('0', digits);
  if (first >= whole) first = whole - 1;  // all zeros: keep one
  return value.substr(0, digits) + value.substr(first);
}

InventoryField Text(const char* name, const std::string& value) {
  if (value.empty()) return {name, std::nullopt, false};
  return {name, value, false};
}

InventoryField Number(const char* name, const std::string& value) {
  return {name, NumberOf(value), true};
}

// Valid UTF-8 as it is; each byte of a bad sequence becomes U+FFFD.
std::string Utf8(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    }
    if (valid && length > 1) {
      // Overlong forms and surrogates are no UTF-8 either.
      unsigned code = c & (0xFF >> (length + 1));
      for (std::size_t k = 1; k < length; ++k) code = code << 6 | (text[i + k] & 0x3F);
      valid = code >= (length == 2 ? 0x80u : length == 3 ? 0x800u : 0x10000u) && code <= 0x10FFFF &&
              (code < 0xD800 || code > 0xDFFF);
    }
    if (!valid) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    out.append(text, i, length);
    i += length;
  }
  return out;
}

std::string CsvField(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::string JsonString(const std::string& value) {
  std::string text = "\"";
  for (char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      text += '\\';
      text += ch;
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      text += escaped;
    } else {
      text += ch;
    }
  }
  return text + "\"";
}

// One line on standard error, redrawn in place, when it is a terminal.
class ProgressLine {
 public:
  ProgressLine() : shown_(StandardErrorIsTerminal()) {}
  ~ProgressLine() { Show(""); }
  void Show(const std::string& text) {
    if (!shown_) return;
    std::fprintf(stderr, "\r%-*s\r%s", static_cast<int>(width_), "", text.c_str());
    std::fflush(stderr);
    width_ = text.size();
  }

 private:
  bool shown_;
  std::size_t width_ = 0;
};

}  // namespace

std::vector<InventoryRecord> InventoryRecords(const DeviceTable& table, const std::string& prefix,
                                              bool full) {
  std::vector<InventoryRecord> records;
  for (int n = kFirstHost; n <= kLastHost; ++n) {
    const DeviceEntry& e = table[n];
    if (!e.alive) continue;
    InventoryRecord record{
        Text("address", prefix + std::to_string(n)),
        {"ping_ms", std::to_string(e.pingTime), true},
        Text("source", SourceOf(e)),
        Text("firmware", Utf8(FirmwareCell(e))),
        NumberOf(e.build) ? Number("build", e.build) : Text("build", Utf8(e.build)),
        Text("hardware", Utf8(e.hardware)),
    };
    if (full) {
      record.push_back(Text("mac", Utf8(MacCell(e))));
      record.push_back(Number("quality", e.quality));
      record.push_back(Number("signal", e.signal));
      record.push_back(Number("noise", e.noise));
      record.push_back(Number("db", e.linkDb));
      record.push_back(Number("rx", e.linkRx));
      record.push_back(Number("tx", e.linkTx));
    }
    records.push_back(std::move(record));
  }
  return records;
}

std::string InventoryCsv(const std::vector<InventoryRecord>& records, bool full) {
  std::string text;
  for (const char* name : kFields) text += std::string(text.empty() ? "" : ",") + name;
  if (full) {
    for (const char* name : kFullFields) text += std::string(",") + name;
  }
  text += "\n";
  for (const InventoryRecord& record : records) {
    for (std::size_t i = 0; i < record.size(); ++i) {
      if (i > 0) text += ',';
      text += CsvField(record[i].value.value_or(""));
    }
    text += "\n";
  }
  return text;
}

std::string InventoryJson(const std::vector<InventoryRecord>& records) {
  if (records.empty()) return "[]\n";
  std::string text = "[\n";
  for (std::size_t r = 0; r < records.size(); ++r) {
    text += "  {";
    for (std::size_t i = 0; i < records[r].size(); ++i) {
      const InventoryField& field = records[r][i];
      text += (i > 0 ? ", " : "") + JsonString(field.name) + ": ";
      if (!field.value) {
        text += "null";
      } else {
        text += field.number ? *field.value : JsonString(*field.value);
      }
    }
    text += r + 1 < records.size() ? "},\n" : "}\n";
  }
  return text + "]\n";
}

int RunInventory(const CommandLine& line, EchoService& echo, const Settings& settings) {
  NullScreen screen;
  Console console(screen);
  SweepSetup sweep{console, echo};
  sweep.secondsNow = [] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  };
  sweep.randomColor = [] { return 1; };
  QuerySetup query(console);
  if (line.jobs != 0) query.jobs = line.jobs;
  const std::string prefix = BlockPrefix(line.target);
  DeviceTable table;
  {
    ProgressLine progress;
    progress.Show("halvex: sweeping " + prefix + "0/24 ...");
    const int alive = runSweep(sweep, prefix, table);
    query.progress = [&progress, &prefix, alive](int done) {
      progress.Show("halvex: asked " + std::to_string(done) + " of " + std::to_string(alive) +
                    " units of " + prefix + "0/24 ...");
    };
    RunQuery(query, prefix, line.full ? Mode::kFull : Mode::kFirmware, settings, table);
  }
  std::vector<InventoryRecord> records = InventoryRecords(table, prefix, line.full);
  const std::string text = line.format == CommandLine::Format::kJson
                               ? InventoryJson(records)
                               : InventoryCsv(records, line.full);
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "halvex: unable to write the inventory to standard output\n");
    return 1;
  }
  return 0;
}

}  // namespace halvex
