#include "append_file.h"

#include <windows.h>

namespace halvex {

bool AppendDurably(const std::filesystem::path& file, std::string_view line) {
  HANDLE handle = CreateFileW(file.wstring().c_str(), FILE_APPEND_DATA | FILE_WRITE_DATA,
                              FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER before{};
  bool ok = GetFileSizeEx(handle, &before);
  DWORD written = 0;
  ok = ok && WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
       written == line.size();
  // A line written in part (a full disk) is taken back: the file ends
  // with a whole line or not at all.
  if (!ok && written > 0 && SetFilePointerEx(handle, before, nullptr, FILE_BEGIN)) {
    SetEndOfFile(handle);
  }
  ok = ok && FlushFileBuffers(handle);
  return CloseHandle(handle) && ok;
}

}  // namespace halvex
