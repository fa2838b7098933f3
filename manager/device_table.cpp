#include "device_table.h"

#include <algorithm>

#include "batch.h"
#include "device_cells.h"
#include "input_event.h"
#include "text_cells.h"

namespace halvex {

namespace {

}  // namespace

void PrintCell(Console& console, int row, int column, std::string_view text, int colour) {
  console.SetColors(colour, color::kBlack);
  console.MoveTo(row, column);
  console.Print(text.substr(0, static_cast<std::size_t>(kScreenColumns - column + 1)));
}

void PageTable::Build(int count) {
  if (count < 1) return;
  pages = 0;
  for (int first = 1; first <= count; first += kRowsPerPage) {
    ++pages;
    start[static_cast<std::size_t>(pages)] = static_cast<std::int16_t>(first);
    end[static_cast<std::size_t>(pages)] = static_cast<std::int16_t>(std::min(first + 40, count));
  }
}

void PageTable::Clamp() {
  if (current > pages) current = pages;
  if (current <= 0) current = 1;
}

void DeviceTableScreen::BuildRows(const DeviceTable& table, const std::string& prefix) {
  prefix_ = prefix;
  count_ = 0;
  for (int n = kFirstHost; n <= 255; ++n) {
    if (!table[n].alive) continue;
    DeviceRow& row = rows_[static_cast<std::size_t>(++count_)];
    row.ip = prefix + std::to_string(n);
    row.entry = table[n];
    row.entry.alive = false;
    row.entry.sysDescr.clear();
    row.entry.mac = WithoutSpaces(row.entry.mac);
  }
  pages_.Build(count_);
}

void DeviceTableScreen::Rebuild(const DeviceTable& table, const std::string& prefix) {
  Console::Hold whole(console_);
  console_.SetColors(color::kLightGrey, color::kBlack);
  console_.Clear();
  BuildRows(table, prefix);
  Redraw();
}

void DeviceTableScreen::Redraw() {
  Console::Hold whole(console_);
  pages_.Clamp();
  console_.SetColors(color::kLightGrey, color::kBlack);
  console_.Clear();
  const auto page = static_cast<std::size_t>(pages_.current);

  console_.SetColors(color::kBlack, color::kDarkGrey);
  console_.MoveTo(1, 1);
  console_.Print(std::string(kScreenColumns, ' '));
  auto bar = [this](int column, const std::string& text) {
    console_.MoveTo(1, column);
    console_.Print(text);
  };
  bar(2, "Esc=Quit");
  bar(41, "F5=Refresh");
  bar(53, "F7=All");
  bar(61, "F8=None");
  bar(70, "F9=Batch");
  bar(80, "F10=Help");
  bar(91, "Page" + NumberText(pages_.current) + " of" + NumberText(pages_.pages) + "  CPE" +
              NumberText(pages_.start[page]) + " to" + NumberText(pages_.end[page]) + " ");

  PrintCell(console_, kHeaderRow, 6, "IP ADDRESS", color::kLightGrey);
  PrintCell(console_, kHeaderRow, 19, "MAC ADDRESS", color::kLightBlue);
  PrintCell(console_, kHeaderRow, 32, " Q%", color::kLightGreen);
  PrintCell(console_, kHeaderRow, 36, "SIG", color::kLightCyan);
  PrintCell(console_, kHeaderRow, 40, " NSE", color::kLightRed);
  PrintCell(console_, kHeaderRow, 45, "PING", color::kLightMagenta);
  PrintCell(console_, kHeaderRow, 51, "dB RX TX", color::kLightGreen);
  PrintCell(console_, kHeaderRow, 83, "Firmware", color::kGreen);
  PrintCell(console_, kHeaderRow, 100, "Hardware", color::kYellow);

  console_.SetColors(color::kBlack, color::kDarkGrey);
  console_.MoveTo(kScreenRows, 1);
  console_.Print(std::string(kScreenColumns, ' '));
  console_.MoveTo(kScreenRows, 1);
  console_.Print(Centred("Left Mouse= Select    Double Click= Putty    Right Mouse= Upload", 110));

  for (int i = pages_.start[page]; i <= pages_.end[page] && i <= count_; ++i) DrawRow(i);
  console_.SetColors(color::kLightGrey, color::kBlack);
}

void DeviceTableScreen::DrawRow(int i) {
  const DeviceRow& row = rows_[static_cast<std::size_t>(i)];
  if (row.ip.empty()) return;
  const DeviceEntry& e = row.entry;
  const int r = pages_.ScreenRow(i);
  PrintCell(console_, r, 19, MacCell(e), color::kLightBlue);
  PrintCell(console_, r, 32, FitRight(e.quality, 3), color::kLightGreen);
  PrintCell(console_, r, 36, FitRight(e.signal, 3), color::kLightCyan);
  PrintCell(console_, r, 40, FitRight(e.noise, 4), color::kLightRed);
  PrintCell(console_, r, 45, FitRight(std::to_string(e.pingTime), 4), color::kLightMagenta);
  PaintRowStart(r, i);
  PrintCell(console_, r, 83, e.firmware,
            e.snmpState == SnmpState::kAnswered ? color::kGreen : color::kRed);
  if (e.serverAnswer == ServerAnswer::kOldServer) {
    PrintCell(console_, r, 83, FirmwareCell(e), color::kLightRed);
  }
  PrintCell(console_, r, 100, e.hardware, color::kYellow);
  PrintCell(console_, r, 51, FitRight(e.linkDb, 2), color::kLightCyan);
  PrintCell(console_, r, 54, FitRight(e.linkRx, 2), color::kLightGreen);
  PrintCell(console_, r, 57, FitRight(e.linkTx, 2), color::kLightCyan);
}

void DeviceTableScreen::PaintRowStart(int screenRow, int i) {
  int colour = selected_[static_cast<std::size_t>(i)] ? color::kLightRed : color::kLightGrey;
  PrintCell(console_, screenRow, 1,
            FitRight(std::to_string(i), 3) + "  " + rows_[static_cast<std::size_t>(i)].ip + " ",
            colour);
}

int DeviceTableScreen::UnitAt(int m) const {
  int r = m - kHeaderRow + (pages_.current - 1) * kRowsPerPage;
  int k = std::clamp(r, 1, std::max(count_, 1));
  if (m <= kHeaderRow || m >= kScreenRows || r > count_ || count_ < 1) return 0;
  if (rows_[static_cast<std::size_t>(k)].ip.empty()) return 0;
  return k;
}

void DeviceTableScreen::StartTerminal(int i) {
  if (setup_.startDetached) {
    setup_.startDetached(TerminalCommand(setup_.terminalProgram, setup_.password,
                                         rows_[static_cast<std::size_t>(i)].ip));
  }
}

TableExit DeviceTableScreen::Run(const DeviceTable& table, const std::string& prefix) {
  Rebuild(table, prefix);
  for (;;) {
    console_.MoveTo(mouseRow_, mouseColumn_);
    InputEvent e = console_.WaitEvent();
    if (e.type == InputEvent::Type::kMouse) {
      mouseRow_ = e.row;
      mouseColumn_ = e.column;
    }
    console_.MoveTo(mouseRow_, mouseColumn_);
    BatchActions batch(setup_, prefix_, rows_, count_, selected_, searchHardware_);
    std::optional<BatchEnd> after;
    if (e.IsKey(kEscape)) {
      console_.SetColors(color::kLightGrey, color::kBlack);
      console_.Clear();
      return TableExit::kEscape;
    } else if (e.IsScan(scan::kF5)) {
      return TableExit::kRefresh;
    } else if (e.IsScan(scan::kF7) || e.IsScan(scan::kF8)) {
      for (int i = 1; i <= count_; ++i) selected_[static_cast<std::size_t>(i)] = e.IsScan(scan::kF7);
      after = BatchEnd::kRebuild;
    } else if (e.IsScan(scan::kF9)) {
      after = batch.Menu();
    } else if (e.IsScan(scan::kF10)) {
      if (setup_.showHelp) {
        setup_.showHelp();
        after = BatchEnd::kRedraw;
      }
    } else if (e.IsScan(scan::kPageUp) || e.IsScan(scan::kPageDown)) {
      pages_.current = static_cast<std::int16_t>(pages_.current + (e.IsScan(scan::kPageUp) ? -1 : 1));
      after = BatchEnd::kRedraw;
    } else if (e.type == InputEvent::Type::kMouse) {
      int k = UnitAt(e.row);
      if (k == 0) continue;
      if (e.mouseEvent == mouse::kDoubleClick && e.button == mouse::kLeft) {
        StartTerminal(k);
      } else if (e.mouseEvent == mouse::kPressed && e.button == mouse::kLeft) {
        selected_[static_cast<std::size_t>(k)] ^= 1;
        PaintRowStart(e.row, k);
      } else if (e.mouseEvent == mouse::kPressed && e.button == mouse::kRight) {
        PrintCell(console_, e.row, 6, rows_[static_cast<std::size_t>(k)].ip, color::kCyan);
        after = batch.RightClick();
      }
    }
    if (after == BatchEnd::kRebuild) Rebuild(table, prefix);
    if (after == BatchEnd::kRedraw) Redraw();
  }
}

}  // namespace halvex
