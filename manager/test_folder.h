// Test support: a new, empty folder of the test's own below the test
// runner's temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

namespace halvex {

// The name holds the test's own name and the process number, since the
// test runner may run the cases of a program side by side.
inline std::filesystem::path FreshTestFolder(const std::string& name) {
  static int counter = 0;
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string owner = test ? std::string(test->test_suite_name()) + "." + test->name() : "none";
  std::filesystem::path folder =
      std::filesystem::path(testing::TempDir()) /
      ("halvex-" + name + "-" + owner + "-" + std::to_string(getpid()) + "-" +
       std::to_string(counter++));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

}  // namespace halvex
