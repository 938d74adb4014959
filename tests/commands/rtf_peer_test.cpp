// rtftotext against the office suite's own text export: documents three writers make from one HTML page, and
// hand-written ones for code pages, font character sets, \uc, surrogates, \bin and hidden text, give the same
// words in the same order. Where our text differs on purpose, the peer's text is adjusted first, each time
// with the reason.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "commands/rtf_code_pages.h"
#include "commands/rtf_text.h"
#include "child_process.h"
#include "temp_dir.h"
#include "text/utf8.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

void RunToEnd(const std::vector<std::string>& argv, const fs::path& log) {
  testbed::ChildProcess program(argv, {.environment = {}, .output = log, .extraFd = -1});
  EXPECT_EQ(program.waitForExit(std::chrono::minutes(5)), 0) << argv[0] << ": " << testbed::readFile(log);
}

bool IsSpace(char32_t c) {
  return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n' || c == 0xa0 || (c >= 0x2000 && c <= 0x200a) ||
         c == 0x3000 || c == 0xfeff;
}

// The runs of text between spaces (Unicode's too, and the byte order mark), each character passed through
// `map` first.
std::vector<std::string> Words(std::string_view text, const std::function<char32_t(char32_t)>& map) {
  std::vector<std::string> words(1);
  for (std::size_t at = 0; at < text.size();) {
    const text::Character c = text::DecodeAt(text, at);
    at += c.Length;
    if (IsSpace(c.Code)) {
      if (!words.back().empty()) words.emplace_back();
    } else {
      text::AppendUtf8(words.back(), map(c.Code));
    }
  }
  if (words.back().empty()) words.pop_back();
  return words;
}

struct Document {
  std::string name;
  // Peer words we leave out on purpose.
  std::vector<std::string> notOurs;
  std::function<char32_t(char32_t)> peerCharacter = [](char32_t c) { return c; };
};

TEST(RtfPeers, TheSameWordsAsTheOfficeSuitesTextExport) {
  const fs::path fixtures = TW_RTF_FIXTURES;
  testbed::TempDir work;
  const fs::path documents = work / "documents";
  fs::create_directories(documents);
  const std::string profile = "-env:UserInstallation=file://" + (work / "profile").string();

  // Three writers, one page with headings, a link, a table, lists and text in five scripts.
  RunToEnd({"pandoc", "-s", "-f", "html", "-t", "rtf", "-o", documents / "pandoc.rtf", fixtures / "source.html"},
           work / "pandoc.log");
  RunToEnd({"abiword", "--to=rtf", "-o", documents / "abiword.rtf", fixtures / "source.html"}, work / "abiword.log");
  fs::copy_file(fixtures / "source.html", work / "soffice.html");
  RunToEnd({"soffice", "--headless", profile, "--infilter=HTML (StarWriter)", "--convert-to", "rtf", "--outdir",
            documents, work / "soffice.html"},
           work / "soffice-rtf.log");

  std::vector<Document> cases = {
      {"pandoc", {}},
      {"soffice", {}},
      // The peer numbers lists from the list table; we show what the document spells for readers without lists
      // (\listtext), which this writer leaves empty.
      {"abiword", {"1.", "2."}},
      {"code-page", {}},
      {"font-charsets", {}},
      {"unicode-skip", {}},
      {"binary-data", {}},
      {"destinations", {}},
      // The peer exports hidden text; a rich-text control's text leaves it out.
      {"hidden-text", {"hidden", "words", "secret", "more", "A", "whole", "paragraph."}},
      // The peer keeps the Symbol font's bytes as private-use characters; we give the signs the font shows.
      {"symbol-font", {}, SymbolFontCharacter},
  };
  for (const char* hand : {"code-page", "font-charsets", "unicode-skip", "binary-data", "destinations",
                           "hidden-text", "symbol-font"})
    fs::copy_file(fixtures / (std::string(hand) + ".rtf"), documents / (std::string(hand) + ".rtf"));

  // One start of the peer for every document.
  std::vector<std::string> convert = {"soffice", "--headless", profile, "--convert-to", "txt:Text (encoded):UTF8",
                                      "--outdir", work / "text"};
  for (const Document& d : cases) convert.push_back(documents / (d.name + ".rtf"));
  RunToEnd(convert, work / "soffice-txt.log");

  for (const Document& d : cases) {
    const std::string document = testbed::readFile(documents / (d.name + ".rtf"));
    ASSERT_FALSE(document.empty()) << d.name;
    const std::vector<std::string> ours = Words(RtfToText(document), [](char32_t c) { return c; });
    std::vector<std::string> peer = Words(testbed::readFile(work / "text" / (d.name + ".txt")), d.peerCharacter);
    std::erase_if(peer, [&](const std::string& w) { return std::ranges::find(d.notOurs, w) != d.notOurs.end(); });
    ASSERT_GE(peer.size(), 8u) << d.name;
    EXPECT_EQ(ours, peer) << d.name;
  }
}

}  // namespace
}  // namespace tw
