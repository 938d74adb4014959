#pragma once
// What an editor page holds of its file, and reading and writing it. A script keeps its header apart from its
// body and is written with CR LF line ends; any other file is plain text and keeps its own line breaks. The
// editor works in UTF-8; a file in Windows-1252 is decoded on the way in and encoded again on the way out, so
// it is written back in the encoding it came in.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/script_header.h"

namespace tw::editor {

enum class TextEncoding { Utf8, Windows1252 };

struct PageFile {
  bool isScript = false;
  TScriptHeader header;  // scripts only
  std::string text;      // UTF-8; a script's body lines joined by "\n", plain text with its own line breaks
  TextEncoding encoding = TextEncoding::Utf8;
  std::string lineBreak = "\n";  // plain text: the first line break of the file ("\n" when it has none)
};

// A file counts as a script when its extension, lower-cased, is ".tws" or ".twr".
bool IsScriptName(std::string_view path);

// The encoding bytes are read in: UTF-8 when every byte belongs to a valid sequence, otherwise Windows-1252.
TextEncoding DetectEncoding(std::string_view bytes);
// The text of bytes in that encoding as UTF-8.
std::string DecodeText(std::string_view bytes, TextEncoding encoding);
// UTF-8 text as bytes of that encoding; nothing when a character has no byte in it.
std::optional<std::string> EncodeText(std::string_view text, TextEncoding encoding);

// Reads a file into a page. Throws std::runtime_error (HeaderError for scripts) when it cannot be read.
PageFile LoadPageFile(const std::string& path);

// Writes the page through a temporary file renamed over the old one; the old file stays whole when that fails.
// The page's text must be encodable in its encoding (EncodeText). Throws std::runtime_error.
void SavePageFile(const std::string& path, PageFile& page);

}  // namespace tw::editor
