#include "child_command.h"

#include "subprocess.h"

namespace halvex {

std::filesystem::path FindProgram(std::string_view name,
                                  const std::vector<std::filesystem::path>& folders) {
  std::string file = ProgramFileName(name);
  for (const std::filesystem::path& folder : folders) {
    if (folder.empty()) continue;
    std::filesystem::path candidate = folder / file;
    if (IsRunnable(candidate)) return candidate;
  }
  return file;
}

std::vector<std::filesystem::path> VelkorFolders(const std::filesystem::path& workDir) {
  std::vector<std::filesystem::path> folders{workDir, ExecutableFolder()};
  for (std::filesystem::path& folder : SearchPathFolders()) folders.push_back(std::move(folder));
  return folders;
}

}  // namespace halvex
