#pragma once
// A fresh folder that is the working folder while a test runs, removed with everything in it
// afterwards, with small helpers to put files there and look at them.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tw::test {

class ScratchFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    original_ = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "tw-files-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = std::filesystem::canonical(pattern).string();
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(original_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // The folder's absolute name, without a trailing "/".
  const std::string& Folder() const { return folder_; }
  std::string At(const std::string& name) const { return folder_ + "/" + name; }

  static void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  static std::string Read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static bool Exists(const std::string& name) {
    struct stat info {};
    return ::lstat(name.c_str(), &info) == 0;
  }
  static mode_t Mode(const std::string& name) {
    struct stat info {};
    ::stat(name.c_str(), &info);
    return info.st_mode & 07777;
  }
  // The names in the scratch folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path original_;
  std::string folder_;
};

}  // namespace tw::test
