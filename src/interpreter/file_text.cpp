#include "interpreter/file_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace tw {

std::string WithCrLfLines(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  for (std::string_view line : SplitLines(text)) {
    out.append(line);
    out += "\r\n";
  }
  return out;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t stop = text.find_first_of("\r\n", at);
    if (stop == std::string_view::npos) stop = text.size();
    lines.push_back(text.substr(at, stop - at));
    at = stop + 1;
    if (stop < text.size() && text[stop] == '\r' && at < text.size() && text[at] == '\n') ++at;
  }
  return lines;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (IsMissingFileError(errno)) return std::nullopt;
    throw std::runtime_error(FileFailure("Cannot read file", path, errno));
  }
  std::string data;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      throw std::runtime_error(FileFailure("Cannot read file", path, error));
    }
    data.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return data;
}

void CrLfLineBreaks::Append(std::string_view piece) {
  const char* at = piece.data();
  const char* const end = at + piece.size();
  if (afterCr_ && at < end && *at == '\n') ++at;
  afterCr_ = false;
  // A plain loop: downloads can be large, and find_first_of looks each byte up in the set of breaks.
  const char* run = at;
  while (at < end) {
    const char c = *at;
    if (c != '\r' && c != '\n') {
      ++at;
      continue;
    }
    out_.append(run, static_cast<std::size_t>(at - run));
    out_ += "\r\n";
    ++at;
    if (c == '\r') {
      if (at == end)
        afterCr_ = true;  // its LF may start the next piece
      else if (*at == '\n')
        ++at;
    }
    run = at;
  }
  out_.append(run, static_cast<std::size_t>(at - run));
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
