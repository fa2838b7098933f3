// The batch actions on the units selected in the device table: one
// firmware file uploaded to all of them, or all of them rebooted, each by
// one velkor run on the manager's screen, strictly one unit after another.
// The way in is the batch menu (F9) or, for the upload, a right click on a
// unit behind a warning box.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device_rows.h"

namespace halvex {

// How the table comes back: built anew from the device entries, or drawn
// again from the rows it has.
enum class BatchEnd { kRebuild, kRedraw };

class BatchActions {
 public:
  BatchActions(TableSetup& setup, const std::string& prefix, const std::vector<DeviceRow>& rows,
               int count, const std::array<std::uint8_t, kRowCapacity>& selected,
               std::string& searchHardware)
      : setup_(setup),
        prefix_(prefix),
        console_(setup.console),
        rows_(rows),
        count_(count),
        selected_(selected),
        searchHardware_(searchHardware) {}

  // F9: the selected units and the menu.
  BatchEnd Menu();
  // A right click on a unit: the warning box, the selected units and the
  // upload dialog.
  BatchEnd RightClick();

 private:
  int UnitList();
  BatchEnd UploadDialog(bool fromRightClick);
  BatchEnd Reboot();
  std::vector<std::string> VelkorCommand(const std::string& ip,
                                         std::initializer_list<std::string> action) const;
  // Runs velkor for row i on the screen and records the unit's outcome;
  // true when it ended with status 0.
  bool RunForUnit(int i, std::initializer_list<std::string> action, const std::string& file);
  void RecordBatch(const std::string& file, int succeeded);

  TableSetup& setup_;
  const std::string& prefix_;
  Console& console_;
  const std::vector<DeviceRow>& rows_;
  int count_;
  const std::array<std::uint8_t, kRowCapacity>& selected_;
  std::string& searchHardware_;
};

// The terminal program's arguments for a unit: -pw, the password, admin@ip.
std::vector<std::string> TerminalCommand(const std::string& program, const std::string& password,
                                         const std::string& ip);

}  // namespace halvex
