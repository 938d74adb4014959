#pragma once
// Replacing a file so that a crash or a failed transfer never leaves it half written, and a killed
// process leaves no temporary file behind where the file system can write unnamed files.

#include <string>
#include <string_view>

namespace tw {

struct AtomicWriteOptions {
  // Flush the data to the disk before the new file takes the old one's place. Downloads leave it
  // to the system, as other download tools do: the rename alone keeps a failed transfer from
  // touching the old file.
  bool syncBeforeRename = true;
};

// A file written in pieces and put in place of `path` by Commit(), keeping the old file's
// permissions. It is an unnamed file until then (a temporary file beside `path` where the file
// system has no unnamed files), so the old file stays as it was; a writer destroyed without
// Commit() leaves nothing behind.
class AtomicFileWriter {
 public:
  // Throws std::runtime_error with the system's message when the new file cannot be made.
  explicit AtomicFileWriter(std::string path, AtomicWriteOptions options = {});
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False when the data could not be written; Commit() then reports why.
  bool Write(std::string_view data);
  bool Failed() const { return failure_ != 0; }
  // For callers that write the content (and its attributes) themselves.
  int Descriptor() const { return fd_; }
  // Throws std::runtime_error with the system's message.
  void Commit();

 private:
  bool LinkUnderTemporaryName();

  std::string path_;
  std::string temporary_;  // empty while the file has no name
  AtomicWriteOptions options_;
  int fd_ = -1;
  int failure_ = 0;  // errno of the first failed write
};

// Writes data to a new file and renames it over path, keeping the old file's permissions. Throws
// std::runtime_error with the system's message when that fails.
void WriteFileAtomically(const std::string& path, std::string_view data);

// Writes all of data, across short writes and interrupted calls; false with errno set on failure.
bool WriteAll(int descriptor, std::string_view data);

}  // namespace tw
