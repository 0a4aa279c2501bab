#pragma once
// Where a test puts what it writes and keeps (pictures for the review,
// PDFs, metafiles, databases): a folder of its own in the build tree, so a
// run leaves nothing in the source tree and tests running side by side
// never share a file. The folder is emptied when a test program first asks
// for it, so what it holds is the last run's.

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <string>

inline std::filesystem::path TestOutputFolder() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name =
      test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "outside-tests";
  for (char& c : name)
    if (c == '/') c = '_';  // parameterised tests
  const std::filesystem::path folder = std::filesystem::path(DIM_TEST_OUTPUT) / name;
  static std::mutex lock;
  static std::set<std::string> made;
  std::lock_guard guard(lock);
  if (made.insert(name).second) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  return folder;
}

// A file of that name in the test's folder, as a UTF-8 path.
inline std::string TestOutput(const std::string& fileName) {
  return (TestOutputFolder() / fileName).string();
}
