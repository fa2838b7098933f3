#include "console.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace velkor {

namespace {

constexpr int kLineBuffer = 51;  // 50 characters and the terminator

HANDLE g_input = INVALID_HANDLE_VALUE;
DWORD g_savedMode = 0;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    std::printf("Interrupt\n");
    std::fflush(stdout);
    SetConsoleMode(g_input, g_savedMode);
    ExitProcess(static_cast<UINT>(-1));
  }
  return TRUE;
}

}  // namespace

std::optional<std::string> PromptPassword(const char* prompt) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD saved = 0;
  if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &saved)) return std::nullopt;
  DWORD quiet = (saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_PROCESSED_INPUT |
                ENABLE_LINE_INPUT;
  if (!SetConsoleMode(input, quiet)) return std::nullopt;
  g_input = input;
  g_savedMode = saved;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);

  std::fputs(prompt, stdout);
  std::fflush(stdout);
  char buffer[kLineBuffer] = {};
  std::string text;
  if (std::fgets(buffer, sizeof buffer, stdin) != nullptr) {
    std::printf("\n");  // the typed line end was not echoed
    if (char* end = std::strchr(buffer, '\n')) {
      *end = '\0';
    } else {
      int c;
      while ((c = std::getchar()) != '\n' && c != EOF) {
      }
    }
    if (char* cr = std::strchr(buffer, '\r')) *cr = '\0';
    text = buffer;
  } else if (!std::ferror(stdin)) {
    std::printf("\n");
  }

  SetConsoleMode(input, saved);
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  return text;
}

bool OutputReaderGone() {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (GetFileType(output) != FILE_TYPE_PIPE) return false;
  // A pipe whose reader has closed fails every write with this error.
  DWORD written = 0;
  return !WriteFile(output, "", 0, &written, nullptr) && GetLastError() == ERROR_NO_DATA;
}

}  // namespace velkor
