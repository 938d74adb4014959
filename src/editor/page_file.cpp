#include "editor/page_file.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "files/atomic_file.h"
#include "files/file_text.h"
#include "text/ascii_text.h"
#include "text/utf8.h"

namespace tw::editor {

bool IsScriptName(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos) return false;
  const std::string extension = LowerAscii(name.substr(dot));
  return extension == ".tws" || extension == ".twr";
}

TextEncoding DetectEncoding(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    const text::Character c = text::DecodeAt(bytes, at);
    if (!c.Valid) return TextEncoding::Windows1252;
    at += c.Length;
  }
  return TextEncoding::Utf8;
}

std::string DecodeText(std::string_view bytes, TextEncoding encoding) {
  if (encoding == TextEncoding::Utf8) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (const char byte : bytes) {
    const auto b = static_cast<unsigned char>(byte);
    if (b < 0x80)
      out += byte;
    else
      text::AppendUtf8(out, text::FromWindows1252(b));
  }
  return out;
}

std::optional<std::string> EncodeText(std::string_view text, TextEncoding encoding) {
  if (encoding == TextEncoding::Utf8) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const text::Character c = text::DecodeAt(text, at);
    at += c.Length;
    if (c.Code < 0x80) {
      out += static_cast<char>(c.Code);
      continue;
    }
    const int byte = c.Valid ? text::ToWindows1252(c.Code) : -1;
    if (byte < 0) return std::nullopt;
    out += static_cast<char>(byte);
  }
  return out;
}

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open file \"" + path + "\"");
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw std::runtime_error("Cannot read file \"" + path + "\"");
  return std::move(bytes).str();
}

std::string FirstLineBreak(std::string_view text) {
  const std::size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos) return "\n";
  if (text[at] == '\r') return at + 1 < text.size() && text[at + 1] == '\n' ? "\r\n" : "\r";
  return "\n";
}

}  // namespace

PageFile LoadPageFile(const std::string& path) {
  PageFile page;
  page.isScript = IsScriptName(path);
  if (page.isScript) {
    std::vector<std::string> body;
    LoadScriptFile(path, body, page.header);
    std::string joined;
    for (std::size_t i = 0; i < body.size(); ++i) {
      if (i > 0) joined += '\n';
      joined += body[i];
    }
    page.encoding = DetectEncoding(joined);
    page.text = DecodeText(joined, page.encoding);
    return page;
  }
  const std::string bytes = ReadBytes(path);
  page.encoding = DetectEncoding(bytes);
  page.text = DecodeText(bytes, page.encoding);
  page.lineBreak = FirstLineBreak(bytes);
  return page;
}

void SavePageFile(const std::string& path, PageFile& page) {
  const std::optional<std::string> bytes = EncodeText(page.text, page.encoding);
  if (!bytes) throw std::runtime_error("The text holds characters its encoding cannot hold.");
  if (page.isScript) {
    const std::vector<std::string_view> lines = SplitLines(*bytes);
    SaveScriptFile(path, page.header, {lines.begin(), lines.end()});
    return;
  }
  WriteFileAtomically(path, *bytes);
}

}  // namespace tw::editor
