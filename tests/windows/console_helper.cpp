// Reaches into the console of a running halvex.exe under Wine, which does
// not turn a terminal's mouse reports into console events:
//   console_helper.exe click ROW COLUMN [right|double]   a press and a release
//   console_helper.exe cell ROW COLUMN                   the cell's character and attribute
//   console_helper.exe row ROW                           the row's text
// Rows and columns are 1-based.  The helper attaches to the console of the
// first process named halvex.exe.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

DWORD FindHalvex() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  DWORD pid = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (_stricmp(entry.szExeFile, "halvex.exe") == 0) {
      pid = entry.th32ProcessID;
      break;
    }
  }
  CloseHandle(snapshot);
  return pid;
}

HANDLE Open(const char* name) {
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
}

INPUT_RECORD Mouse(SHORT x, SHORT y, DWORD buttons, DWORD flags) {
  INPUT_RECORD r{};
  r.EventType = MOUSE_EVENT;
  r.Event.MouseEvent.dwMousePosition = COORD{x, y};
  r.Event.MouseEvent.dwButtonState = buttons;
  r.Event.MouseEvent.dwEventFlags = flags;
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: console_helper click ROW COLUMN [right|double] | cell ROW COLUMN | row ROW\n");
    return 2;
  }
  DWORD pid = FindHalvex();
  FreeConsole();
  if (pid == 0 || !AttachConsole(pid)) {
    std::fprintf(stderr, "console_helper: no halvex.exe console to attach to\n");
    return 1;
  }
  std::string verb = argv[1];
  const SHORT row = static_cast<SHORT>(std::atoi(argv[2]) - 1);
  const SHORT column = static_cast<SHORT>(argc > 3 ? std::atoi(argv[3]) - 1 : 0);
  std::string result;
  int status = 0;
  if (verb == "click") {
    HANDLE input = Open("CONIN$");
    std::string how = argc > 4 ? argv[4] : "";
    DWORD button = how == "right" ? RIGHTMOST_BUTTON_PRESSED : FROM_LEFT_1ST_BUTTON_PRESSED;
    INPUT_RECORD records[4] = {Mouse(column, row, button, 0), Mouse(column, row, 0, 0),
                               Mouse(column, row, button, DOUBLE_CLICK), Mouse(column, row, 0, 0)};
    DWORD written = 0;
    WriteConsoleInputA(input, records, how == "double" ? 4 : 2, &written);
    status = written > 0 ? 0 : 1;
  } else {
    HANDLE output = Open("CONOUT$");
    CHAR_INFO cells[200];
    SMALL_RECT area{0, row, 199, row};
    if (!ReadConsoleOutputA(output, cells, COORD{200, 1}, COORD{0, 0}, &area)) {
      status = 1;
    } else if (verb == "cell") {
      char text[64];
      std::snprintf(text, sizeof text, "%c %02x", cells[column].Char.AsciiChar,
                    static_cast<unsigned>(cells[column].Attributes & 0xff));
      result = text;
    } else {
      for (int i = 0; i <= area.Right - area.Left; ++i) result += cells[i].Char.AsciiChar;
      while (!result.empty() && result.back() == ' ') result.pop_back();
    }
  }
  FreeConsole();
  // The answer goes to a file: this process no longer has the console it
  // was started with.
  if (std::FILE* out = std::fopen("console_helper.out", "wb")) {
    std::fputs(result.c_str(), out);
    std::fclose(out);
  }
  return status;
}
