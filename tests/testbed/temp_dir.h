#pragma once
// A fresh directory under $TMPDIR (or /tmp), removed with everything in it when the object ends.

#include <filesystem>
#include <string>

namespace tw::testbed {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The whole content of a file; empty when it does not exist.
std::string readFile(const std::filesystem::path& file);

}  // namespace tw::testbed
