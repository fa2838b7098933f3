// A stand-in for snmpwalk.exe and velkor.exe in the Windows check: it logs
// the arguments it was given (one per line, in brackets, after a line with
// its own name) to recorder.log in the working folder, in one append that
// other instances running at the same time cannot split, and prints canned
// answers: snmpwalk a system description, velkor a report or an upload's
// progress line redrawn in place.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string name = self;
  name = name.substr(name.find_last_of("\\/") + 1);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

  // One write of the whole record to a file opened for appending: the
  // manager runs many of these at once.
  std::string record = "== " + name + "\n";
  for (int i = 1; i < argc; ++i) record += "[" + std::string(argv[i]) + "]\n";
  HANDLE log = INVALID_HANDLE_VALUE;
  for (int tries = 0; tries < 100 && log == INVALID_HANDLE_VALUE; ++tries) {
    log = CreateFileA("recorder.log", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) Sleep(10);  // another instance is making it
  }
  if (log != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(log, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(log);
  }
  std::string last = argc > 1 ? argv[argc - 1] : "";
  if (name == "snmpwalk.exe") {
    // 127.0.0.2 has no SNMP agent: the manager asks velkor instead.
    bool agent = argc < 2 || std::string(argv[argc - 2]) != "127.0.0.2";
    if (agent && last == "1.3.6.1.2.1.1.1") std::printf("\"Unit 2.5.1 build 4711 [ARX-200]\"\n");
    return 0;
  }
  if (name == "velkor.exe") {
    for (int i = 1; i < argc; ++i) {
      if (std::string(argv[i]) == "-sysinfo") {
        std::printf("System information\nUnit 2.5.1 build 4711 [ARX-200]\n");
        std::printf("Operation has completed successfuly.\n");
        return 0;
      }
      if (std::string(argv[i]) == "-f") {
        std::printf("Sending file: %s (1K in size)\n", i + 1 < argc ? argv[i + 1] : "");
        for (int step = 0; step <= 4; ++step) {
          std::printf("\r [%-20s] - %d", std::string(static_cast<std::size_t>(step) * 5, 'o').c_str(),
                      step * 250);
          std::fflush(stdout);
          Sleep(100);
        }
        std::printf("\n\nOperation has completed successfuly.\n");
        return 0;
      }
    }
    std::printf("Operation has completed successfuly.\n");
    return 0;
  }
  return 0;
}
