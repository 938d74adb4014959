#pragma once
// Pieces the file functions share: line breaks and the messages of file-system failures.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// text split into lines at CR LF, LF or a lone CR, each line followed by CR LF; a last line
// without a line break gets one, and an empty text stays empty.
std::string WithCrLfLines(std::string_view text);

// The lines of text, split at CR LF, LF or a lone CR, without their line breaks; a line break at the
// very end starts no further line, and an empty text has no lines.
std::vector<std::string_view> SplitLines(std::string_view text);

// The whole file's bytes; nothing when it does not exist. Throws std::runtime_error (with FileFailure's
// message) when it exists but cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Turns every line break (CR LF, LF or a lone CR) into CR LF in a text that arrives in pieces, such as a
// download; unlike WithCrLfLines it adds none at the end.
class CrLfLineBreaks {
 public:
  explicit CrLfLineBreaks(std::string& out) : out_(out) {}
  void Append(std::string_view piece);

 private:
  std::string& out_;
  bool afterCr_ = false;  // the last piece ended with a CR, whose LF may start the next one
};

// `<action> "<path>": <the system's reason>`, e.g. Cannot read file "a.txt": Is a directory.
std::string FileFailure(std::string_view action, std::string_view path, int error);

// True for the errors that mean the file is simply not there.
bool IsMissingFileError(int error);

}  // namespace tw
