#include "files/file_text.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace tw {

namespace {

// The first CR or LF in [at, end), or end. Eight bytes at a time: downloads and files can be large, and
// find_first_of looks each byte up in the set of breaks.
const char* NextLineBreak(const char* at, const char* end) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  while (end - at >= 8) {
    std::uint64_t word;
    std::memcpy(&word, at, 8);
    const std::uint64_t cr = word ^ (kOnes * '\r'), lf = word ^ (kOnes * '\n');
    if (((cr - kOnes) & ~cr & kHighs) | ((lf - kOnes) & ~lf & kHighs)) break;  // a byte of the word is CR or LF
    at += 8;
  }
  while (at < end && *at != '\r' && *at != '\n') ++at;
  return at;
}

}  // namespace

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

void CrLfLineBreaks::Append(std::string_view piece) {
  const char* at = piece.data();
  const char* const end = at + piece.size();
  if (afterCr_ && at < end && *at == '\n') ++at;
  afterCr_ = false;
  while (at < end) {
    const char* lineBreak = NextLineBreak(at, end);
    out_.append(at, static_cast<std::size_t>(lineBreak - at));
    if (lineBreak == end) return;
    out_.append("\r\n", 2);
    at = lineBreak + 1;
    if (*lineBreak == '\r') {
      if (at == end)
        afterCr_ = true;  // its LF may start the next piece
      else if (*at == '\n')
        ++at;
    }
  }
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
