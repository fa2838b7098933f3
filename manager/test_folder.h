// Test support: a new, empty folder of the test's own below the test
// runner's temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace halvex {

inline std::filesystem::path FreshTestFolder(const std::string& name) {
  static int counter = 0;
  std::filesystem::path folder =
      std::filesystem::path(testing::TempDir()) / (name + "-" + std::to_string(counter++));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

}  // namespace halvex
