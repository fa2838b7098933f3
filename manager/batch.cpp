#include "batch.h"

#include <algorithm>
#include <cmath>

#include "answers.h"
#include "firmware_files.h"
#include "text_cells.h"

namespace halvex {

namespace {

void Pause(TableSetup& setup, int ms) {
  if (setup.sleep) setup.sleep(ms);
}

}  // namespace

std::vector<std::string> TerminalCommand(const std::string& program, const std::string& password,
                                         const std::string& ip) {
  return {program, "-pw", password, "admin@" + ip};
}

std::vector<std::string> BatchActions::VelkorCommand(const std::string& ip,
                                                     std::initializer_list<std::string> action) const {
  std::vector<std::string> argv{setup_.velkor.string(), ip};
  // No password: velkor asks for it on the screen.
  if (!setup_.password.empty()) argv.push_back(setup_.password);
  argv.insert(argv.end(), action);
  return argv;
}

bool BatchActions::RunForUnit(int i, std::initializer_list<std::string> action,
                              const std::string& file) {
  const DeviceRow& row = rows_[static_cast<std::size_t>(i)];
  ScreenRun run;
  if (setup_.runOnScreen) run = setup_.runOnScreen(VelkorCommand(row.ip, action));
  if (setup_.journal) setup_.journal->Unit(prefix_, row.ip, row.entry, file, run);
  return run.started && run.signal == 0 && run.exitCode == 0;
}

void BatchActions::RecordBatch(const std::string& file, int succeeded) {
  if (!setup_.journal) return;
  std::vector<std::string> ips;
  for (int i = 1; i <= count_; ++i) {
    if (selected_[static_cast<std::size_t>(i)]) ips.push_back(rows_[static_cast<std::size_t>(i)].ip);
  }
  setup_.journal->Batch(prefix_, file, ips, succeeded);
}

int BatchActions::UnitList() {
  int listed = 0;
  for (int i = 1; i <= count_; ++i) {
    if (!selected_[static_cast<std::size_t>(i)]) continue;
    const DeviceRow& row = rows_[static_cast<std::size_t>(i)];
    const int r = console_.Row();
    auto pair = [&](int column, const char* label, const std::string& value) {
      console_.MoveTo(r, column);
      console_.SetColors(color::kYellow, color::kBlack);
      console_.Print(label);
      console_.SetColor(color::kLightGreen);
      int room = kScreenColumns - console_.Column() + 1;
      console_.Print(value.substr(0, static_cast<std::size_t>(std::max(room, 0))));
    };
    pair(2, " CPE's Address : ", row.ip);
    pair(35, " Hardware: ", row.entry.hardware);
    pair(65, " Firmware: ", row.entry.firmware);
    pair(95, " Build: ", row.entry.build);
    console_.CompleteWrap();
    if (console_.Column() != 1) console_.NewLine();
    searchHardware_ = row.entry.hardware;
    ++listed;
  }
  return listed;
}

BatchEnd BatchActions::Menu() {
  console_.SetColors(color::kLightGrey, color::kBlack);
  console_.Clear();
  console_.MoveTo(2, 1);
  if (UnitList() == 0) {
    console_.NewLine();
    console_.SetColor(color::kLightRed);
    console_.Print("  NO CPE's SELECTED...  NOTHING TO DO!  Exiting... ");
    console_.NewLine();
    Pause(setup_, 2000);
    return BatchEnd::kRebuild;
  }
  console_.SetColor(color::kLightRed);
  console_.NewLine();
  console_.Print("  Batch Menu:  ESC=Exit  1=Firmware  2=Reboot ");
  int choice = 0;
  while (choice == 0) {
    InputEvent e = console_.WaitEvent();
    if (e.IsKey(kEscape) || e.IsKey(' ') || e.IsKey(kEnter)) choice = 9;
    if (e.IsKey('1')) choice = 1;
    if (e.IsKey('2')) choice = 2;
  }
  console_.SetColor(color::kLightBlue);
  console_.NewLine();
  if (choice == 1) {
    console_.NewLine();
    console_.NewLine();
    return UploadDialog(false);
  }
  if (choice == 2) return Reboot();
  return BatchEnd::kRebuild;
}

BatchEnd BatchActions::RightClick() {
  console_.SetColors(color::kLightGrey, color::kBlack);
  console_.Clear();
  struct BoxLine {
    int foreground;
    const char* text;
  };
  const BoxLine box[] = {
      {color::kBlack, ""},
      {color::kBlack, "WARNING - UPLOADING FIRMWARE MAY HARM / BREAK / DESTROY YOUR BOARD!"},
      {color::kBlack, "PROCEED AT YOUR OWN RISK!!!   DO NOT INTERRUPT THE UPGRADE PROCESS."},
      {color::kBlack, ""},
      {color::kBlack, ""},
      {color::kLightGrey, "IF YOU ARE UPGRADING MULTIPLE CPE's, MAKE SURE THEY ARE ALL THE SAME"},
      {color::kLightGrey, "HARDWARE DEVICE. THE SAME FIRMWARE VERSION WILL BE SENT TO ALL CPE's"},
      {color::kBlack, ""},
  };
  int row = 2;
  for (const BoxLine& line : box) {
    console_.MoveTo(row++, 6);
    console_.SetColors(line.foreground, color::kLightRed);
    console_.Print(Centred(line.text, 80));
    console_.SetColors(color::kLightGrey, color::kBlack);
    console_.NewLine();
  }
  console_.NewLine();
  console_.NewLine();
  UnitList();
  console_.NewLine();
  console_.NewLine();
  return UploadDialog(true);
}

BatchEnd BatchActions::UploadDialog(bool fromRightClick) {
  console_.SetColors(color::kLightBlue, color::kBlack);
  std::vector<std::string> files =
      FirmwareFiles(setup_.workDir / kFirmwareFolder, searchHardware_);
  for (std::size_t n = 0; n < files.size(); ++n) {
    std::string line = " ";
    line += std::to_string(n + 1);
    line += " = " + files[n];
    console_.Print(line);
    console_.NewLine();
  }
  console_.SetColor(color::kLightGrey);
  if (files.empty()) {
    console_.SetColor(color::kLightRed);
    console_.Print(" WHOOPS!");
    console_.SetColor(color::kLightGrey);
    console_.Print(" No matching firmware files found.  Please put some firmware");
    console_.NewLine();
    console_.Print(" for the " + searchHardware_ + " boards in the 'firmware\\' directory.");
    console_.NewLine();
    console_.NewLine();
    console_.Print(" SpaceBar to Exit");
    console_.NewLine();
    while (!console_.WaitEvent().IsKey(' ')) {
    }
  }
  console_.NewLine();
  console_.Print(" Enter Firmware Number to Upload, or Enter 0 (ZERO) to exit : ");
  double number = LeadingNumber(FirstField(console_.ReadLine()));
  if (number <= 0 || number > static_cast<double>(files.size())) return BatchEnd::kRedraw;
  // A number between two choices takes the nearer one (halves to even).
  std::size_t choice = static_cast<std::size_t>(std::max(1.0, std::nearbyint(number)));
  console_.NewLine();
  console_.SetColor(color::kLightRed);
  console_.Print("YOU ARE ABOUT TO UPLOAD FIRMWARE.  ARE YOU SURE (Y/N) ");
  std::string answer = FirstField(console_.ReadLine());
  console_.NewLine();
  console_.SetColor(color::kLightBlue);
  if (answer != "Y" && answer != "y") return BatchEnd::kRedraw;
  const std::string image = (std::filesystem::path(kFirmwareFolder) / files[choice - 1]).string();
  int succeeded = 0;
  for (int i = 1; i <= count_; ++i) {
    if (!selected_[static_cast<std::size_t>(i)]) continue;
    const std::string& ip = rows_[static_cast<std::size_t>(i)].ip;
    console_.SetColor(color::kYellow);
    console_.Print("Upgrading Firmware to " + ip);
    console_.NewLine();
    console_.NewLine();
    console_.SetColor(color::kLightBlue);
    succeeded += RunForUnit(i, {"-f", image}, files[choice - 1]) ? 1 : 0;
    if (fromRightClick) console_.NewLine();
    if (setup_.startDetached) {
      setup_.startDetached(TerminalCommand(setup_.terminalProgram, setup_.password, ip));
    }
  }
  RecordBatch(files[choice - 1], succeeded);
  Pause(setup_, 5000);
  return BatchEnd::kRebuild;
}

BatchEnd BatchActions::Reboot() {
  console_.NewLine();
  console_.SetColor(color::kLightRed);
  console_.Print("  YOU ARE ABOUT TO REBOOT THESE UNITS.  ARE YOU SURE (Y/N) ");
  std::string answer = FirstField(console_.ReadLine());
  console_.NewLine();
  console_.SetColor(color::kLightBlue);
  if (answer != "Y" && answer != "y") return BatchEnd::kRebuild;
  int succeeded = 0;
  for (int i = 1; i <= count_; ++i) {
    if (!selected_[static_cast<std::size_t>(i)]) continue;
    console_.SetColor(color::kYellow);
    console_.Print("Rebooting " + rows_[static_cast<std::size_t>(i)].ip + "    ");
    console_.SetColor(color::kLightBlue);
    succeeded += RunForUnit(i, {"-reboot"}, "") ? 1 : 0;
  }
  RecordBatch("", succeeded);
  console_.Print("Completed...");
  console_.NewLine();
  Pause(setup_, 1000);
  return BatchEnd::kRebuild;
}

}  // namespace halvex
