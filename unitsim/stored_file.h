// A file of the unit's storage being replaced by an upload: the bytes go
// to a temporary file beside it, which takes the stored file's place only
// when the upload is complete.  Destroying it uncommitted removes the
// temporary file and leaves the stored file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace unitsim {

// A C stream closed when it goes out of scope.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

class StoredFile {
 public:
  explicit StoredFile(std::string path) : path_(std::move(path)) {}
  ~StoredFile();
  StoredFile(const StoredFile&) = delete;
  StoredFile& operator=(const StoredFile&) = delete;

  // Creates the temporary file; false when it cannot be created.
  bool Open();
  bool Write(const std::uint8_t* data, std::size_t count);
  // Closes the temporary file and renames it over the stored one; false
  // (and the temporary file removed) when either fails.
  bool Commit();

 private:
  void Discard();

  std::string path_;
  std::string temporary_;
  FilePtr file_;
};

}  // namespace unitsim
