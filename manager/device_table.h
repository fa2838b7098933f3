// The device table: one line per live unit of the block, 41 rows a page,
// a top bar with the keys and the page indicator, and the keys and mouse
// rules that select units, page, refresh, show the help file, open the
// terminal program on a unit and lead to the batch actions (batch.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "console.h"
#include "device_entry.h"
#include "device_rows.h"

namespace halvex {

inline constexpr int kRowsPerPage = 40;
inline constexpr int kHeaderRow = 3;
// The pages over `count` rows: page p shows rows start[p] to end[p].
struct PageTable {
  std::array<std::int16_t, 257> start{};
  std::array<std::int16_t, 257> end{};
  std::int16_t pages = 1;
  std::int16_t current = 1;

  PageTable() {
    start[1] = 1;
    end[1] = 41;
  }
  // Pages at 1, 41, 81, ... (each shows the last row of the one before
  // again); with no rows the tables keep what they had.
  void Build(int count);
  // The current page brought into 1 to pages.
  void Clamp();
  // The screen row of row i on the current page.
  int ScreenRow(int i) const { return kHeaderRow + i - (current - 1) * kRowsPerPage; }
};

enum class TableExit { kEscape, kRefresh };

class DeviceTableScreen {
 public:
  explicit DeviceTableScreen(TableSetup& setup) : setup_(setup), console_(setup.console) {}

  // Rebuilds from the table and runs the screen until Esc or F5.
  TableExit Run(const DeviceTable& table, const std::string& prefix);

  // Rows of the list, rebuilt from the table.
  void BuildRows(const DeviceTable& table, const std::string& prefix);
  void Rebuild(const DeviceTable& table, const std::string& prefix);
  void Redraw();

  // The row under a pointer on screen row m (0 when it is not on a unit).
  int UnitAt(int m) const;

  void ClearSelection() { selected_.fill(0); }
  std::array<std::uint8_t, kRowCapacity>& selected() { return selected_; }
  const std::vector<DeviceRow>& rows() const { return rows_; }
  int count() const { return count_; }
  PageTable& pages() { return pages_; }

 private:
  void DrawRow(int i);
  // The row number and address of row i, in the colour of its selection.
  void PaintRowStart(int screenRow, int i);
  void StartTerminal(int i);

  TableSetup& setup_;
  Console& console_;
  std::vector<DeviceRow> rows_ = std::vector<DeviceRow>(kRowCapacity);
  int count_ = 0;
  PageTable pages_;
  std::array<std::uint8_t, kRowCapacity> selected_{};
  std::string searchHardware_;  // kept from one upload dialog to the next
  std::string prefix_;
  int mouseRow_ = 1;
  int mouseColumn_ = 1;
};

// Prints text at a cell in a colour on black, cut at the right edge of the
// screen so that nothing wraps.
void PrintCell(Console& console, int row, int column, std::string_view text, int colour);

}  // namespace halvex
