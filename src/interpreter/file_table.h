#pragma once
// Open file handles of a script, numbered at random from the unused numbers 1 to 10000 (handle_numbers.h).
// A handle reads lines through its own buffer (CR LF, LF and a lone CR all end a line) or
// collects written text in a buffer that goes to the file when it is full and when the
// handle is closed.

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/file_system.h"

namespace tw {

enum class FileMode { Read = 1, Write = 2, Append = 3 };

// Outcome of a handle operation; on Failed, errno-style Error() tells why.
enum class IoResult { Ok, EndOfFile, Failed };

class TFileSystem {
 public:
  static constexpr std::size_t kReadBufferSize = 256 * 1024;
  static constexpr std::size_t kWriteBufferSize = 64 * 1024;

  TFileSystem(OpenFile file, FileMode mode, std::string path);
  ~TFileSystem();
  TFileSystem(const TFileSystem&) = delete;
  TFileSystem& operator=(const TFileSystem&) = delete;

  FileMode Mode() const { return mode_; }
  const std::string& Path() const { return path_; }
  int Error() const { return error_; }

  // The next line without its line break. The view stays valid until the next call on this
  // handle. EndOfFile when nothing is left (the view is then empty).
  IoResult ReadLine(std::string_view& line);
  // True when no byte is left to read; Failed leaves it false.
  IoResult AtEnd(bool& atEnd);
  IoResult Write(std::string_view text);
  // Writes what is buffered and closes the file; Failed when either step failed.
  IoResult Close();

  std::string Pending;  // text left over from the last delimiter read

 private:
  bool Fill();  // false at the end of the file or on failure (error_ set)
  bool Flush();
  bool SkipLfAfterCr();  // false on a read failure

  OpenFile file_;
  FileMode mode_;
  std::string path_;
  int error_ = 0;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0, end_ = 0;  // unread bytes of buffer_
  // Where the next CR and LF lie in buffer_ (end_ when there is none before end_); found
  // once per buffer fill, so a file of lone CRs costs as little as one of LFs.
  std::size_t nextCr_ = 0, nextLf_ = 0;
  bool skipLf_ = false;   // the last line ended with a CR at the end of the buffer
  std::string spanning_;  // a line that crossed the end of the buffer
  std::string output_;
};

class FileTable {
 public:
  // The new handle number, or 0 when the file cannot be opened (also for an empty name or a
  // folder). Read and Append need an existing file; Write creates or empties it.
  int Open(const std::string& path, FileMode mode);
  TFileSystem* Find(int handle);
  // Closes the file and frees its number; false when the handle is unknown. closeResult tells
  // whether writing the rest of the buffer and closing worked.
  bool Close(int handle, IoResult* closeResult = nullptr, int* error = nullptr);
  struct CloseFailure {
    std::string Path;
    bool Writing = false;
    int Error = 0;
  };
  // Closes every file; the ones whose buffered text could not be written, or that failed to close.
  std::vector<CloseFailure> CloseAll();
  std::size_t Count() const { return files_.size(); }

 private:
  std::map<int, std::unique_ptr<TFileSystem>> files_;
};

}  // namespace tw
