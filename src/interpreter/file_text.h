#pragma once
// Pieces the file functions share: line breaks and the messages of file-system failures.

#include <string>
#include <string_view>

namespace tw {

// text split into lines at CR LF, LF or a lone CR, each line followed by CR LF; a last line
// without a line break gets one, and an empty text stays empty.
std::string WithCrLfLines(std::string_view text);

// `<action> "<path>": <the system's reason>`, e.g. Cannot read file "a.txt": Is a directory.
std::string FileFailure(std::string_view action, std::string_view path, int error);

// True for the errors that mean the file is simply not there.
bool IsMissingFileError(int error);

}  // namespace tw
