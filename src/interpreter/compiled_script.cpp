// Compiled scripts: the checked text with its include files inlined, stored as a 4-byte
// little-endian length followed by the text compressed with -lh5-.

#include <fstream>
#include <iterator>

#include "files/atomic_file.h"
#include "interpreter/interpreter.h"
#include "interpreter/lh5/lh5.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

// The most text a compiled script may unpack to. A stated length is only a claim: a few hundred
// bytes of stream can describe gigabytes, so more than this is refused as damaged.
constexpr std::uint32_t kMaxCompiledScriptText = 64u << 20;

constexpr std::string_view kNotice = "' Compiled script: this text and its include files, checked and packed";

// True for a line whose first word is `include`, in any letter case.
bool IsIncludeLine(std::string_view line) {
  line = Trimmed(line);
  constexpr std::string_view word = "include";
  if (!StartsWithKeyword(line, word)) return false;
  if (line.size() == word.size()) return true;
  char next = line[word.size()];
  return !((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') || (next >= '0' && next <= '9') ||
           next == '_' || next == '.' || next == '$');
}

std::string CompiledName(const std::string& file) {
  std::size_t slash = file.find_last_of('/');
  std::size_t dot = file.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return file + ".twc";
  return file.substr(0, dot) + ".twc";
}

}  // namespace

std::string CompiledScriptText(const std::deque<std::string>& lines) {
  std::string text(kNotice);
  for (const std::string& line : lines) {
    text += "\r\n";
    // The included files are already inlined, so their include statements become comments.
    if (IsIncludeLine(line)) text += '\'';
    text += line;
  }
  return text;
}

bool TBasicInterpreter::Compile() {
  if (FileName.empty()) {
    Host.ShowErrorBox("File Name not Defined.");
    return false;
  }
  CheckSyntax();
  if (StopRequested || !runStarted_) return false;
  const std::string text = CompiledScriptText(shared_->Lines);
  try {
    if (text.size() > kMaxCompiledScriptText) throw std::length_error("script too large to compile");
    std::string packed(4, '\0');
    const auto length = static_cast<std::uint32_t>(text.size());
    for (int i = 0; i < 4; ++i) packed[static_cast<std::size_t>(i)] = static_cast<char>((length >> (8 * i)) & 0xff);
    packed += lh5::compress(text);
    WriteFileAtomically(CompiledName(FileName), packed);
  } catch (const std::exception&) {
    Host.ShowErrorBox("Cannot Compiled " + FileName + "!");
    return false;
  }
  return true;
}

bool TBasicInterpreter::LoadCompiled(const std::string& file) {
  shared_->ClearLines();
  std::ifstream in(file, std::ios::binary);
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string text;
  try {
    if (!in.eof() && in.fail()) throw lh5::CorruptData();
    if (data.size() < 4) throw lh5::CorruptData();
    std::uint32_t length = 0;
    for (int i = 3; i >= 0; --i) length = (length << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
    if (length > kMaxCompiledScriptText) throw lh5::CorruptData();
    text = lh5::decompress(std::string_view(data).substr(4), length);
  } catch (const std::exception&) {
    Host.ShowErrorBox(file + " is not a valid .twc file!");
    return false;
  }
  // The stored lines come back as they were: no header filter, no markers, no modules.
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    shared_->Lines.emplace_back(text, at, end - at);
    if (end == text.size()) break;
    at = end + 1;
    if (text[end] == '\r' && at < text.size() && text[at] == '\n') ++at;
  }
  return true;
}

}  // namespace tw
