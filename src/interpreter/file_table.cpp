#include "interpreter/file_table.h"

#include <random>

namespace tw {

TFileSystem::~TFileSystem() {
  if (File) std::fclose(File);
}

int FileTable::UnusedHandle() {
  if (files_.size() >= static_cast<std::size_t>(kMaxHandles)) return 0;
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> pick(1, kMaxHandles);
  for (;;) {
    int handle = pick(generator);
    if (!files_.count(handle)) return handle;
  }
}

int FileTable::Open(const std::string& path, FileMode mode) {
  if (path.empty()) return 0;
  int handle = UnusedHandle();
  if (handle == 0) return 0;
  std::FILE* file = nullptr;
  switch (mode) {
    case FileMode::Read: file = std::fopen(path.c_str(), "rb"); break;
    case FileMode::Write: file = std::fopen(path.c_str(), "wb"); break;
    case FileMode::Append:
      // Appending needs an existing file.
      if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
        std::fclose(probe);
        file = std::fopen(path.c_str(), "ab");
      }
      break;
  }
  if (!file) return 0;
  files_.emplace(handle, std::make_unique<TFileSystem>(file, mode));
  return handle;
}

TFileSystem* FileTable::Find(int handle) {
  auto it = files_.find(handle);
  return it == files_.end() ? nullptr : it->second.get();
}

bool FileTable::Close(int handle, bool* closeFailed) {
  auto it = files_.find(handle);
  if (it == files_.end()) return false;
  std::FILE* file = it->second->File;
  it->second->File = nullptr;
  const bool failed = std::fclose(file) != 0;
  if (closeFailed) *closeFailed = failed;
  files_.erase(it);
  return true;
}

void FileTable::CloseAll() { files_.clear(); }

}  // namespace tw
