// The inventory of a block for scripts: halvex --inventory sweeps the block
// and asks every live unit as the interactive run does, then prints one
// record per live unit in host order on standard output, as CSV (a header
// line, then RFC 4180 lines with LF ends) or as one JSON array of objects.
// The fields, in order (--full adds the last seven):
//
//   address, ping_ms, source, firmware, build, hardware,
//   mac, quality, signal, noise, db, rx, tx
//
// source: snmp, velkor (the system report), old (a server too old for the
// report), unknown (neither answered) or zeb (the old "Linux zeb-platform"
// unit).  firmware and mac are the table's cells, build as the batch list
// shows it.  In JSON, ping_ms, build (when it is a number) and the figures
// are numbers, and a value the unit did not give is null; in CSV it is an
// empty field.  Text that is not UTF-8 has U+FFFD in place of its bad bytes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "device_entry.h"
#include "icmp.h"
#include "settings.h"

namespace halvex {

struct InventoryField {
  const char* name;
  std::optional<std::string> value;  // nothing: the unit did not give it
  bool number = false;               // a JSON number (the value is one)
};
using InventoryRecord = std::vector<InventoryField>;

// The records of the live hosts of a table, in host order.
std::vector<InventoryRecord> InventoryRecords(const DeviceTable& table, const std::string& prefix,
                                              bool full);
std::string InventoryCsv(const std::vector<InventoryRecord>& records, bool full);
std::string InventoryJson(const std::vector<InventoryRecord>& records);

// The whole run: sweep, query, print; gives the exit status.  Throws
// Interrupted (interrupts.h) when the query was interrupted.
int RunInventory(const CommandLine& line, EchoService& echo, const Settings& settings);

}  // namespace halvex
