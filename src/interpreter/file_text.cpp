#include "interpreter/file_text.h"

#include <cerrno>
#include <cstring>

namespace tw {

std::string WithCrLfLines(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t stop = text.find_first_of("\r\n", at);
    if (stop == std::string_view::npos) stop = text.size();
    out.append(text.data() + at, stop - at);
    out += "\r\n";
    at = stop + 1;
    if (stop < text.size() && text[stop] == '\r' && at < text.size() && text[at] == '\n') ++at;
  }
  return out;
}

std::string FileFailure(std::string_view action, std::string_view path, int error) {
  std::string message(action);
  message += " \"";
  message += path;
  message += "\": ";
  message += std::strerror(error);
  return message;
}

bool IsMissingFileError(int error) { return error == ENOENT || error == ENOTDIR; }

}  // namespace tw
