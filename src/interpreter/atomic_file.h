#pragma once
// Replacing a file so that a crash or a failed transfer never leaves it half written.

#include <string>
#include <string_view>

namespace tw {

struct AtomicWriteOptions {
  // Flush the data to the disk before the new file takes the old one's place. Downloads leave it
  // to the system, as other download tools do: the rename alone keeps a failed transfer from
  // touching the old file.
  bool syncBeforeRename = true;
};

// A file written in pieces to a temporary file beside `path` and put in place by Commit(), keeping
// the old file's permissions. Until then the old file stays as it was; a writer destroyed without
// Commit() removes its temporary file.
class AtomicFileWriter {
 public:
  // Throws ScriptFailure with the system's message when the temporary file cannot be made.
  explicit AtomicFileWriter(std::string path, AtomicWriteOptions options = {});
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False when the data could not be written; Commit() then reports why.
  bool Write(std::string_view data);
  bool Failed() const { return failure_ != 0; }
  // Throws ScriptFailure with the system's message.
  void Commit();

 private:
  std::string path_;
  std::string temporary_;
  AtomicWriteOptions options_;
  int fd_ = -1;
  int failure_ = 0;  // errno of the first failed write
};

// Writes data to a temporary file beside path and renames it over path, keeping the old file's
// permissions. Throws ScriptFailure with the system's message when that fails.
void WriteFileAtomically(const std::string& path, std::string_view data);

}  // namespace tw
