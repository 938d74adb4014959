#pragma once
// Open file handles of a script, numbered at random from the unused numbers 1 to 10000.

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace tw {

enum class FileMode { Read = 1, Write = 2, Append = 3 };

struct TFileSystem {
  TFileSystem(std::FILE* file, FileMode mode) : File(file), Mode(mode) {}
  ~TFileSystem();
  TFileSystem(const TFileSystem&) = delete;
  TFileSystem& operator=(const TFileSystem&) = delete;

  std::FILE* File;
  FileMode Mode;
  std::string Pending;  // text left over from the last delimiter read
};

class FileTable {
 public:
  static constexpr int kMaxHandles = 10000;

  // The new handle number, or 0 when the file cannot be opened.
  int Open(const std::string& path, FileMode mode);
  TFileSystem* Find(int handle);
  // Closes the file and frees its number; false when the handle is unknown.
  bool Close(int handle, bool* closeFailed = nullptr);
  void CloseAll();
  std::size_t Count() const { return files_.size(); }

 private:
  int UnusedHandle();
  std::map<int, std::unique_ptr<TFileSystem>> files_;
};

}  // namespace tw
