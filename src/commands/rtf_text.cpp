#include "commands/rtf_text.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

#include "commands/rtf_code_pages.h"
#include "text/ascii_text.h"
#include "text/utf8.h"

namespace tw {

namespace {

constexpr char32_t kReplacement = 0xfffd;

enum class Destination : std::uint8_t { Text, Skip, FontTable };

// What a control word does to the reader.
enum class Action : std::uint8_t {
  SkipDestination,  // a destination without text of the body
  BodyDestination,  // a destination whose text belongs to the body, even when marked with \*
  FontTable,
  Font,
  FontCharset,
  FontCodePage,
  DefaultFont,
  DocumentCodePage,  // \ansicpgN
  AnsiDocument,
  MacDocument,
  PcDocument,
  Pca,
  UnicodeSkip,  // \ucN
  Unicode,      // \uN
  Hidden,       // \v
  Plain,
  LineBreak,
  Tab,
  Character,  // the word stands for one character
  Binary,     // \binN
};

struct WordMeaning {
  Action action;
  char32_t character = 0;
};

const std::unordered_map<std::string_view, WordMeaning>& Words() {
  static const std::unordered_map<std::string_view, WordMeaning> words = [] {
    std::unordered_map<std::string_view, WordMeaning> w;
    for (std::string_view name :
         {"colortbl", "stylesheet", "listtable", "listoverridetable", "revtbl", "rsidtbl", "info", "pict",
          "object", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "fldinst",
          "footnote", "annotation", "atnid", "atnauthor", "atndate", "atnref", "xe", "tc", "tcn", "txe", "rxe",
          "pn", "pntxta", "pntxtb", "themedata", "colorschememapping", "latentstyles", "datastore", "xmlnstbl",
          "filetbl", "generator", "nonshppict", "shpinst", "do", "ftnsep", "ftnsepc", "ftncn", "aftnsep",
          "aftnsepc", "aftncn", "template", "private", "pgdsctbl", "bkmkstart", "bkmkend", "comment", "title",
          "author", "operator", "keywords", "subject", "doccomm", "company", "category", "manager", "hlinkbase",
          "userprops", "docvar", "background"})
      w[name] = {Action::SkipDestination};
    w["fldrslt"] = {Action::BodyDestination};
    w["fonttbl"] = {Action::FontTable};
    w["f"] = {Action::Font};
    w["fcharset"] = {Action::FontCharset};
    w["cpg"] = {Action::FontCodePage};
    w["deff"] = {Action::DefaultFont};
    w["ansicpg"] = {Action::DocumentCodePage};
    w["ansi"] = {Action::AnsiDocument};
    w["mac"] = {Action::MacDocument};
    w["pc"] = {Action::PcDocument};
    w["pca"] = {Action::Pca};
    w["uc"] = {Action::UnicodeSkip};
    w["u"] = {Action::Unicode};
    w["v"] = {Action::Hidden};
    w["plain"] = {Action::Plain};
    for (std::string_view name : {"par", "line", "row", "nestrow", "sect", "page"}) w[name] = {Action::LineBreak};
    for (std::string_view name : {"tab", "cell", "nestcell"}) w[name] = {Action::Tab};
    w["bin"] = {Action::Binary};
    const std::pair<std::string_view, char32_t> characters[] = {
        {"emdash", 0x2014},    {"endash", 0x2013},    {"emspace", 0x2003}, {"enspace", 0x2002},
        {"qmspace", 0x2005},   {"bullet", 0x2022},    {"lquote", 0x2018},  {"rquote", 0x2019},
        {"ldblquote", 0x201c}, {"rdblquote", 0x201d}, {"zwj", 0x200d},     {"zwnj", 0x200c},
        {"ltrmark", 0x200e},   {"rtlmark", 0x200f},   {"zwbo", 0x200b},    {"zwnbo", 0x2060},
    };
    for (const auto& [name, c] : characters) w[name] = {Action::Character, c};
    return w;
  }();
  return words;
}

struct Font {
  int charset = -1;
  int codePage = 0;
  std::string name;
  bool nameComplete = false;
};

struct GroupState {
  Destination destination = Destination::Text;
  bool hidden = false;
  int unicodeSkip = 1;
  int font = -1;  // -1: the document's default font
};

class Reader {
 public:
  explicit Reader(std::string_view document) : in_(document) {}

  std::string Read() {
    out_.reserve(in_.size() / 2);
    while (at_ < in_.size()) {
      const char c = in_[at_];
      if (c == '{') {
        ++at_;
        OpenGroup();
      } else if (c == '}') {
        ++at_;
        if (!CloseGroup()) break;  // the document's own group ends: what follows is no longer RTF
      } else if (c == '\\') {
        ++at_;
        ControlSequence();
      } else if (c == '\r' || c == '\n') {
        ++at_;
      } else if (state_.destination == Destination::Skip) {
        SkipLiterals();
      } else {
        ++at_;
        if (static_cast<unsigned char>(c) >= 0x20)
          TextByte(static_cast<unsigned char>(c));
        else if (c == '\t' && !TakeFallback())
          Special(U'\t');
      }
    }
    FlushRun();
    EndSurrogate();
    if (out_.size() >= 2 && out_.compare(out_.size() - 2, 2, "\r\n") == 0) out_.resize(out_.size() - 2);
    return std::move(out_);
  }

 private:
  // Literal bytes in a skipped destination cost nothing but the scan for the next brace or backslash.
  void SkipLiterals() {
    while (at_ < in_.size()) {
      const char c = in_[at_];
      if (c == '{' || c == '}' || c == '\\') return;
      ++at_;
    }
  }

  void OpenGroup() {
    if (groups_.size() >= kRtfMaxGroupDepth)
      throw RtfError("groups nested more than " + std::to_string(kRtfMaxGroupDepth) + " deep at byte " +
                     std::to_string(at_ - 1));
    groups_.push_back(state_);
    fallbackToSkip_ = 0;
    destinationMark_ = false;
  }

  bool CloseGroup() {
    fallbackToSkip_ = 0;
    destinationMark_ = false;
    if (groups_.size() <= 1) return false;
    if (state_.font != groups_.back().font) decoder_ = nullptr;
    state_ = groups_.back();
    groups_.pop_back();
    return true;
  }

  void ControlSequence() {
    if (at_ >= in_.size()) return;
    const char c = in_[at_];
    if (!IsLetter(c)) {
      ++at_;
      if (c == '\'') {
        const int byte = HexByte();
        if (byte >= 0)
          TextByte(static_cast<unsigned char>(byte));
        else
          TakeFallback();
      } else if (c == '\\' || c == '{' || c == '}') {
        TextByte(static_cast<unsigned char>(c));
      } else if (!TakeFallback()) {
        Symbol(c);
      }
      return;
    }
    const std::size_t start = at_;
    while (at_ < in_.size() && IsLetter(in_[at_])) ++at_;
    const std::string_view word = in_.substr(start, at_ - start);
    bool hasParameter = false;
    long long parameter = 0;
    bool negative = false;
    if (at_ + 1 < in_.size() && in_[at_] == '-' && IsDigit(in_[at_ + 1])) {
      negative = true;
      ++at_;
    }
    while (at_ < in_.size() && IsDigit(in_[at_])) {
      hasParameter = true;
      // Parameters are 16 or 32 bits; longer runs of digits saturate.
      if (parameter < 100000000000LL) parameter = parameter * 10 + (in_[at_] - '0');
      ++at_;
    }
    if (at_ < in_.size() && in_[at_] == ' ') ++at_;
    if (negative) parameter = -parameter;
    Word(word, hasParameter, parameter);
  }

  void Word(std::string_view word, bool hasParameter, long long parameter) {
    const bool marked = destinationMark_;
    destinationMark_ = false;
    const auto found = Words().find(word);
    if (found != Words().end() && found->second.action == Action::Binary) {
      // The data is skipped even where a fallback character would be.
      const long long length = std::max(parameter, 0LL);
      if (static_cast<unsigned long long>(length) > in_.size() - at_)
        throw RtfError("\\bin" + std::to_string(length) + " data at byte " + std::to_string(at_) +
                       " runs past the end of the document");
      at_ += static_cast<std::size_t>(length);
      TakeFallback();
      return;
    }
    if (TakeFallback()) return;
    if (found == Words().end()) {
      // An unknown destination marked with \* holds nothing a reader that does not know it may show.
      if (marked) state_.destination = Destination::Skip;
      return;
    }
    const int value = static_cast<int>(std::clamp(parameter, -2147483647LL, 2147483647LL));
    switch (found->second.action) {
      case Action::SkipDestination: state_.destination = Destination::Skip; break;
      case Action::BodyDestination: break;
      case Action::FontTable:
        if (state_.destination != Destination::Skip) state_.destination = Destination::FontTable;
        break;
      case Action::Font:
        if (state_.destination == Destination::FontTable) {
          fontInTable_ = value;
          fonts_[value] = Font{};
        } else {
          state_.font = value;
        }
        decoder_ = nullptr;
        break;
      case Action::FontCharset:
        if (state_.destination == Destination::FontTable && fonts_.count(fontInTable_)) {
          fonts_[fontInTable_].charset = value;
          decoder_ = nullptr;
        }
        break;
      case Action::FontCodePage:
        if (state_.destination == Destination::FontTable && fonts_.count(fontInTable_)) {
          fonts_[fontInTable_].codePage = value;
          decoder_ = nullptr;
        }
        break;
      case Action::DefaultFont:
        defaultFont_ = value;
        decoder_ = nullptr;
        break;
      case Action::DocumentCodePage:
        if (value > 0) SetDocumentCodePage(value);
        break;
      case Action::AnsiDocument: SetDocumentCodePage(kWindowsLatin1); break;
      case Action::MacDocument: SetDocumentCodePage(10000); break;
      case Action::PcDocument: SetDocumentCodePage(437); break;
      case Action::Pca: SetDocumentCodePage(850); break;
      case Action::UnicodeSkip: state_.unicodeSkip = std::max(value, 0); break;
      case Action::Unicode:
        UnicodeCharacter(parameter);
        fallbackToSkip_ = state_.unicodeSkip;
        break;
      case Action::Hidden: state_.hidden = !hasParameter || value != 0; break;
      case Action::Plain:
        state_.hidden = false;
        state_.font = -1;
        decoder_ = nullptr;
        break;
      case Action::LineBreak: Special(U'\r'); break;
      case Action::Tab: Special(U'\t'); break;
      case Action::Character: Special(found->second.character); break;
      case Action::Binary: break;
    }
  }

  void Symbol(char c) {
    switch (c) {
      case '~': Special(0x00a0); break;
      case '_': Special(0x2011); break;
      case '*': destinationMark_ = true; break;
      case '\r':
      case '\n': Special(U'\r'); break;
      case '\t': Special(U'\t'); break;
      default: break;  // \- (optional hyphen), \: (index subentry), \| (formula) and unknown symbols
    }
  }

  // The byte of \'hh; -1 when no hex digit follows. One digit alone is taken as it is.
  int HexByte() {
    int value = -1;
    for (int digits = 0; digits < 2 && at_ < in_.size(); ++digits) {
      const int digit = HexDigit(in_[at_]);
      if (digit < 0) break;
      value = (value < 0 ? 0 : value * 16) + digit;
      ++at_;
    }
    return value;
  }

  // After \uN the next N characters (bytes, \'hh, control words) are the fallback for readers that do not
  // know \u: they are skipped.
  bool TakeFallback() {
    if (fallbackToSkip_ == 0) return false;
    --fallbackToSkip_;
    return true;
  }

  void SetDocumentCodePage(int codePage) {
    documentCodePage_ = codePage;
    decoder_ = nullptr;
  }

  bool Visible() const { return state_.destination == Destination::Text && !state_.hidden; }

  void TextByte(unsigned char byte) {
    if (TakeFallback()) return;
    if (state_.destination == Destination::FontTable) {
      auto font = fonts_.find(fontInTable_);
      if (font == fonts_.end() || font->second.nameComplete) return;
      if (byte == ';')
        font->second.nameComplete = true;
      else if (font->second.name.size() < 256)
        font->second.name.push_back(static_cast<char>(byte));
      decoder_ = nullptr;
      return;
    }
    if (!Visible()) return;
    const CodePageDecoder& decoder = Decoder();
    if (decoder.singleByte()) {
      FlushRun();
      EndSurrogate();
      out_.append(decoder.character(byte));
      return;
    }
    if (runDecoder_ != &decoder) {
      FlushRun();
      runDecoder_ = &decoder;
    }
    EndSurrogate();
    run_.push_back(static_cast<char>(byte));
  }

  // A break, a tab or a character named by a control word.
  void Special(char32_t c) {
    if (!Visible()) return;
    FlushRun();
    EndSurrogate();
    if (c == U'\r')
      out_.append("\r\n");
    else
      text::AppendUtf8(out_, c);
  }

  void UnicodeCharacter(long long parameter) {
    if (!Visible()) return;
    FlushRun();
    // \u takes a signed 16-bit number; some writers give characters beyond 0xFFFF as they are.
    const long long code = parameter < 0 ? parameter + 0x10000 : parameter;
    if (code <= 0 || code > 0x10ffff) {
      EndSurrogate();
      if (code != 0) text::AppendUtf8(out_, kReplacement);
      return;
    }
    const auto c = static_cast<char32_t>(code);
    Decoder();  // knows whether the font is the Symbol font
    if (c >= 0xd800 && c < 0xdc00) {
      EndSurrogate();
      highSurrogate_ = c;
      return;
    }
    if (c >= 0xdc00 && c < 0xe000) {
      if (highSurrogate_) {
        text::AppendUtf8(out_, 0x10000 + ((highSurrogate_ - 0xd800) << 10) + (c - 0xdc00));
        highSurrogate_ = 0;
      } else {
        text::AppendUtf8(out_, kReplacement);
      }
      return;
    }
    EndSurrogate();
    text::AppendUtf8(out_, symbolFont_ ? SymbolFontCharacter(c) : c);
  }

  // A first half of a surrogate pair that no second half follows.
  void EndSurrogate() {
    if (!highSurrogate_) return;
    text::AppendUtf8(out_, kReplacement);
    highSurrogate_ = 0;
  }

  void FlushRun() {
    if (run_.empty()) return;
    runDecoder_->append(run_, out_);
    run_.clear();
  }

  const CodePageDecoder& Decoder() {
    if (decoder_) return *decoder_;
    symbolFont_ = false;
    int codePage = documentCodePage_;
    const auto font = fonts_.find(state_.font >= 0 ? state_.font : defaultFont_);
    if (font != fonts_.end()) {
      if (EqualsIgnoringAsciiCase(Trimmed(font->second.name), "Symbol")) {
        symbolFont_ = true;
        decoder_ = &CodePageDecoder::SymbolFont();
        return *decoder_;
      }
      if (font->second.charset == 2) {
        decoder_ = &CodePageDecoder::PrivateSymbols();
        return *decoder_;
      }
      if (font->second.codePage > 0)
        codePage = font->second.codePage;
      else if (const int ofCharset = CodePageOfCharset(font->second.charset); ofCharset > 0)
        codePage = ofCharset;
    }
    decoder_ = &CodePageDecoder::ForCodePage(codePage);
    return *decoder_;
  }

  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string_view in_;
  std::size_t at_ = 0;
  GroupState state_;
  std::vector<GroupState> groups_;
  std::map<int, Font> fonts_;
  int fontInTable_ = -1;
  int defaultFont_ = -1;
  int documentCodePage_ = kWindowsLatin1;
  int fallbackToSkip_ = 0;
  bool destinationMark_ = false;
  char32_t highSurrogate_ = 0;
  // The decoder of the current font; null when the font or the code pages changed since it was looked up.
  const CodePageDecoder* decoder_ = nullptr;
  bool symbolFont_ = false;
  // Bytes of a multi-byte code page wait here until the run ends, so characters of two bytes stay whole.
  std::string run_;
  const CodePageDecoder* runDecoder_ = nullptr;
  std::string out_;
};

}  // namespace

std::string RtfToText(std::string_view document) {
  if (document.substr(0, 5) != "{\\rtf") return std::string(document);
  return Reader(document).Read();
}

}  // namespace tw
