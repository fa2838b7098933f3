// Prints each key and mouse event that the console layer delivers, one a
// line, until 'q'.  'c' runs a child program on the terminal in between,
// as the batch actions will.  The end-to-end tests send keys and mouse reports
// through tmux and read the lines back.
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "console.h"
#include "terminal.h"

int main() {
  using namespace halvex;
  std::string problem;
  std::unique_ptr<Terminal> terminal = OpenTerminal("console events", problem);
  if (!terminal) return 1;
  Console console(*terminal);
  console.Print("ready\n");
  try {
    for (;;) {
      InputEvent e = console.WaitEvent();
      if (e.IsKey('q')) break;
      if (e.IsKey('c')) {
        terminal->Suspend();
        int status = std::system("exit 3");
        terminal->Resume();
        console.Print("child ended " + std::to_string(WEXITSTATUS(status)) + "\n");
        continue;
      }
      if (e.type == InputEvent::Type::kKey) {
        console.Print(e.character != 0 ? "key " + std::to_string(e.character) + "\n"
                                        : "scan " + std::to_string(e.scanCode) + "\n");
      } else {
        console.Print("mouse " + std::to_string(e.mouseEvent) + " button " + std::to_string(e.button) +
                      " row " + std::to_string(e.row) + " column " + std::to_string(e.column) + "\n");
      }
    }
  } catch (const InputClosed&) {
    return 1;
  }
  terminal->Close();
  return 0;
}
