#include "commands/rtf_code_pages.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "text/utf8.h"

namespace tw {

namespace {

constexpr char32_t kReplacement = 0xfffd;

// The Symbol font from 0x20 to 0xff (the font's own encoding; 0xa0 holds the euro sign).
// 0 marks a byte without a character: it reads as the private character U+F000 plus the byte.
constexpr char16_t kSymbolFont[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220b, 0x0028, 0x0029, 0x2217, 0x002b, 0x002c,
    0x2212, 0x002e, 0x002f, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039,
    0x003a, 0x003b, 0x003c, 0x003d, 0x003e, 0x003f, 0x2245, 0x0391, 0x0392, 0x03a7, 0x0394, 0x0395, 0x03a6,
    0x0393, 0x0397, 0x0399, 0x03d1, 0x039a, 0x039b, 0x039c, 0x039d, 0x039f, 0x03a0, 0x0398, 0x03a1, 0x03a3,
    0x03a4, 0x03a5, 0x03c2, 0x03a9, 0x039e, 0x03a8, 0x0396, 0x005b, 0x2234, 0x005d, 0x22a5, 0x005f, 0,
    0x03b1, 0x03b2, 0x03c7, 0x03b4, 0x03b5, 0x03c6, 0x03b3, 0x03b7, 0x03b9, 0x03d5, 0x03ba, 0x03bb, 0x03bc,
    0x03bd, 0x03bf, 0x03c0, 0x03b8, 0x03c1, 0x03c3, 0x03c4, 0x03c5, 0x03d6, 0x03c9, 0x03be, 0x03c8, 0x03b6,
    0x007b, 0x007c, 0x007d, 0x223c, 0,      0,      0,      0,      0,      0,      0,      0,      0,
    0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,
    0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,
    0x20ac, 0x03d2, 0x2032, 0x2264, 0x2044, 0x221e, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190,
    0x2191, 0x2192, 0x2193, 0x00b0, 0x00b1, 0x2033, 0x2265, 0x00d7, 0x221d, 0x2202, 0x2022, 0x00f7, 0x2260,
    0x2261, 0x2248, 0x2026, 0x23d0, 0x23af, 0x21b5, 0x2135, 0x2111, 0x211c, 0x2118, 0x2297, 0x2295, 0x2205,
    0x2229, 0x222a, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00ae, 0x00a9,
    0x2122, 0x220f, 0x221a, 0x22c5, 0x00ac, 0x2227, 0x2228, 0x21d4, 0x21d0, 0x21d1, 0x21d2, 0x21d3, 0x25ca,
    0x2329, 0x00ae, 0x00a9, 0x2122, 0x2211, 0x239b, 0x239c, 0x239d, 0x23a1, 0x23a2, 0x23a3, 0x23a7, 0x23a8,
    0x23a9, 0x23aa, 0,      0x232a, 0x222b, 0x2320, 0x23ae, 0x2321, 0x239e, 0x239f, 0x23a0, 0x23a4, 0x23a5,
    0x23a6, 0x23ab, 0x23ac, 0x23ad, 0,
};

char32_t SymbolByte(unsigned char byte) {
  const char32_t c = byte >= 0x20 ? kSymbolFont[byte - 0x20] : byte;
  return c ? c : 0xf000 + byte;
}

// The name iconv knows a Windows code page by; empty for pages it is not asked about.
std::string IconvName(int codePage) {
  switch (codePage) {
    case 10000: return "MACINTOSH";
    case 10007: return "MAC-CYRILLIC";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 65001: return "UTF-8";
    default: break;
  }
  if (codePage >= 28591 && codePage <= 28606) return "ISO-8859-" + std::to_string(codePage - 28590);
  if (codePage > 0 && codePage < 10000) return "CP" + std::to_string(codePage);
  return {};
}

bool IsMultiByte(int codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361 ||
         codePage == 65001;
}

// Converts `bytes`, replacing each byte that starts no character by U+FFFD.
void Convert(iconv_t cd, std::string_view bytes, std::string& out) {
  ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char buffer[1024];
  auto* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  while (inLeft > 0) {
    char* to = buffer;
    std::size_t toLeft = sizeof buffer;
    const std::size_t done = ::iconv(cd, &in, &inLeft, &to, &toLeft);
    out.append(buffer, static_cast<std::size_t>(to - buffer));
    if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ: a byte that starts no character; EINVAL: a character cut off by the end of the run.
    text::AppendUtf8(out, kReplacement);
    ++in;
    --inLeft;
  }
  // Pages that combine marks with the letter before them hold that letter back until the end.
  char* to = buffer;
  std::size_t toLeft = sizeof buffer;
  ::iconv(cd, nullptr, nullptr, &to, &toLeft);
  out.append(buffer, static_cast<std::size_t>(to - buffer));
}

}  // namespace

struct CodePageDecoder::Converter {
  explicit Converter(const std::string& name) : cd(::iconv_open("UTF-8", name.c_str())) {}
  ~Converter() {
    if (ok()) ::iconv_close(cd);
  }
  bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
  iconv_t cd;
};

CodePageDecoder::~CodePageDecoder() = default;

int CodePageOfCharset(int charset) {
  switch (charset) {
    case 0: return kWindowsLatin1;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;
  }
}

std::unique_ptr<CodePageDecoder> CodePageDecoder::Make(int codePage) {
  std::unique_ptr<CodePageDecoder> decoder(new CodePageDecoder);
  const std::string name = IconvName(codePage);
  if (codePage != kWindowsLatin1 && !name.empty()) {
    auto converter = std::make_unique<Converter>(name);
    if (converter->ok() && IsMultiByte(codePage)) {
      decoder->iconvName_ = name;
      decoder->converter_ = std::move(converter);
      return decoder;
    }
    if (converter->ok()) {
      for (int byte = 0; byte < 256; ++byte) {
        const char single = static_cast<char>(byte);
        Convert(converter->cd, std::string_view(&single, 1), decoder->table_[byte]);
      }
      return decoder;
    }
  }
  for (int byte = 0; byte < 256; ++byte)
    decoder->table_[byte] = text::Utf8(text::FromWindows1252(static_cast<unsigned char>(byte)));
  return decoder;
}

const CodePageDecoder& CodePageDecoder::ForCodePage(int codePage) {
  static std::mutex lock;
  static std::map<int, std::unique_ptr<CodePageDecoder>> decoders;
  const std::lock_guard<std::mutex> hold(lock);
  auto& decoder = decoders[codePage];
  if (!decoder) decoder = Make(codePage);
  return *decoder;
}

const CodePageDecoder& CodePageDecoder::SymbolFont() {
  static const CodePageDecoder* symbol = [] {
    auto* decoder = new CodePageDecoder;
    for (int byte = 0; byte < 256; ++byte) decoder->table_[byte] = text::Utf8(SymbolByte(static_cast<unsigned char>(byte)));
    return decoder;
  }();
  return *symbol;
}

const CodePageDecoder& CodePageDecoder::PrivateSymbols() {
  static const CodePageDecoder* symbols = [] {
    auto* decoder = new CodePageDecoder;
    for (int byte = 0; byte < 256; ++byte)
      decoder->table_[byte] = text::Utf8(byte < 0x80 ? static_cast<char32_t>(byte) : 0xf000 + static_cast<char32_t>(byte));
    return decoder;
  }();
  return *symbols;
}

void CodePageDecoder::append(std::string_view bytes, std::string& out) const {
  if (singleByte()) {
    for (const char byte : bytes) out.append(table_[static_cast<unsigned char>(byte)]);
    return;
  }
  const std::lock_guard<std::mutex> hold(converting_);
  Convert(converter_->cd, bytes, out);
}

char32_t SymbolFontCharacter(char32_t c) {
  return c >= 0xf020 && c <= 0xf0ff ? SymbolByte(static_cast<unsigned char>(c - 0xf000)) : c;
}

}  // namespace tw
