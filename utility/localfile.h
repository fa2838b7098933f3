// Local files of the transfers: existence and size checks made before
// connecting, and the script and page text read as a text-mode stream.
// The download target is download_file.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace velkor {

// Largest script or page file read, as its size on disk.
inline constexpr std::uint64_t kMaxTextFileSize = 1048576;
// Largest upload the 32-bit value field of the request can announce.
inline constexpr std::uint64_t kMaxUploadSize = 0xFFFFFFFFu;

// A C stream closed when it goes out of scope.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// True when the file system reports the path.
bool FileExists(const std::string& path);
// Size in bytes of a regular file that can be opened for reading; 0 for
// anything else.
std::uint64_t FileSize(const std::string& path);

// Reads a script or page into `text` and returns the text length, which is
// what the request announces.  The text is what a
// text-mode read gives: every CR LF pair becomes LF, a 0x1A byte ends the
// text, and (as a line-by-line read would) a NUL drops the rest of its line
// of at most 1023 characters.  Returns 0, sending nothing, when the file is
// empty, larger than 1 MiB on disk or cannot be read.
std::uint32_t ReadTextFile(const std::string& path, std::string& text);

// The text-mode conversion, fed in pieces of any size.  Appends to `out`,
// which never grows by more than the bytes fed.
class TextModeReader {
 public:
  explicit TextModeReader(std::string& out) : out_(out) {}
  // False once the end-of-text byte was seen; later input is ignored.
  bool Feed(std::string_view bytes);
  // Flushes a CR held back at the end of the input.
  void Finish();

 private:
  void Emit(char c);

  std::string& out_;
  bool pendingCr_ = false;
  bool ended_ = false;
  bool dropping_ = false;  // a NUL was seen in the current line
  int lineLength_ = 0;    // characters of the current line read so far
};

}  // namespace velkor
