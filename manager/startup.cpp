#include "startup.h"

#include "answers.h"

namespace halvex {

const std::vector<std::string>& UsageLines() {
  static const std::vector<std::string> lines = {
      "",
      " Halvex Version 0.99h",
      " =====================",
      " Usage : 'halvex 10.42.23.1' to check the 10.42.23.x/24 block",
      "",
      " This utility will ping each IP in a Class C block (a /24) and",
      " then query the Firmware Version for any IP that responds to a",
      " ping request. You'll need to have Net-SNMP installed first in",
      " order for the SNMP functions to work.  Download Net-SNMP from",
      " https://www.net-snmp.org/download.html",
      "",
      " This is version .99 and its quick-n-dirty for my own internal",
      " purposes.  Use it at your own risk, as it may wreak havoc and",
      " destruction on your CPE's, or drive your network into Pon'Far",
      " It works for me, but there is no warranty. Zero. Zilch. Nada.",
      "",
      " Oh yea - you can use CTRL-BREAK to abort the program.",
      " =====================================================",
  };
  return lines;
}

int Manager::Run(const std::string& commandLine) {
  std::string target = TrimSpaces(commandLine);
  bool firstCall = true;
  tableSetup_.password = settings_.password;
  while (startBlock(target, firstCall)) {
    firstCall = false;
    target.clear();
    for (;;) {
      screen_.ClearSelection();  // every sweep starts with nothing selected
      runSweep(sweep_, prefix_, table_);
      RunQuery(query_, prefix_, mode_, settings_, table_);
      if (tableSetup_.journal) tableSetup_.journal->AfterQuery(prefix_, table_);
      tableSetup_.velkor = query_.velkor;
      if (screen_.Run(table_, prefix_) == TableExit::kEscape) break;
      table_.ClearSweep();  // F5: the same block again
    }
  }
  console_.Clear();
  console_.MoveTo(40, 1);
  return exitStatus_;
}

bool Manager::startBlock(std::string target, bool firstCall) {
  table_.Clear();
  if (firstCall) {
    if (target.empty()) {
      exitStatus_ = 2;
      console_.Clear();
      for (const std::string& line : UsageLines()) console_.Print(line + "\n");
    }
    AskMode();
  }
  if (target.empty()) {
    console_.NewLine();
    console_.Print(" Enter the IP of the AP to query,\n");
    console_.Print(" or just RETURN by itself to quit. > ");
    target = FirstField(console_.ReadLine());
    if (target.empty() || target == "x") return false;
    console_.NewLine();
  }
  prefix_ = BlockPrefix(target);
  console_.Clear();
  console_.Print("Class C is " + prefix_ + "0/24\n");
  return true;
}

void Manager::AskMode() {
  console_.SetColor(color::kGreen);
  console_.Print("\n\n\n");
  console_.Print(" First, what Mode do you want to operate in? Select 'Firmware' or\n");
  console_.Print(" 'Full' Mode. Using just the 'Firmware' mode will be a bit faster\n");
  console_.Print(" than Full mode if you just want to do Firmware Updates, since it\n");
  console_.Print(" won't waste time reading CPE information that you may not need.\n");
  console_.NewLine();
  for (;;) {
    console_.Print(" Select 1=Firmware Mode, 2=Full Mode ");
    int answer = ModeAnswer(console_.ReadLine());
    if (answer != 0) {
      mode_ = static_cast<Mode>(answer);
      break;
    }
    console_.NewLine();
  }
  console_.SetColor(color::kLightGrey);
}

}  // namespace halvex
