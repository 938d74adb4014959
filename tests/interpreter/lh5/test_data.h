#pragma once
// Reproducible inputs for the codec tests and the benchmark.

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tw::lh5::test {

inline std::string randomBytes(std::size_t size, std::uint64_t seed) {
  std::mt19937_64 engine(seed);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(engine() & 0xFF);
  return out;
}

// Word salad with the letter and word statistics of ordinary prose: plenty of short repeats.
inline std::string text(std::size_t size, std::uint64_t seed) {
  static constexpr std::string_view kWords[] = {
      "the",    "of",      "and",     "to",      "a",        "in",     "is",      "it",     "that",    "for",
      "window", "script",  "message", "keyboard", "variable", "return", "string",  "number", "button",  "file",
      "open",   "close",   "value",   "while",   "loop",     "under",  "between", "system", "desktop", "program",
      "with",   "without", "before",  "after",   "every",    "single", "line",    "text",   "mouse",   "click"};
  std::mt19937_64 engine(seed);
  std::string out;
  out.reserve(size + 16);
  std::size_t sentence = 0;
  while (out.size() < size) {
    // Squaring a uniform index favours the common words at the front of the list.
    const std::uint64_t r = engine() % 1000;
    const std::size_t index = static_cast<std::size_t>(r * r * std::size(kWords) / 1000000);
    std::string_view word = kWords[index];
    if (sentence == 0 && !out.empty()) out += ' ';
    if (sentence == 0) {
      out += static_cast<char>(word[0] - 'a' + 'A');
      out += word.substr(1);
    } else {
      out += ' ';
      out += word;
    }
    if (++sentence > 4 + engine() % 12) {
      out += engine() % 5 == 0 ? ".\r\n" : ".";
      sentence = 0;
    }
  }
  out.resize(size);
  return out;
}

// Random bytes in which no 3-byte string occurs twice, so the data offers no match at all (for sizes far
// below 2^24).
inline std::string randomWithoutRepeats(std::size_t size, std::uint64_t seed) {
  std::mt19937_64 engine(seed);
  std::vector<bool> seen(std::size_t{1} << 24);
  std::string out;
  out.reserve(size);
  while (out.size() < size) {
    std::uint32_t byte = engine() & 0xFF;
    if (out.size() >= 2) {
      const std::uint32_t prefix = (std::uint32_t{static_cast<unsigned char>(out[out.size() - 2])} << 16) |
                                   (std::uint32_t{static_cast<unsigned char>(out[out.size() - 1])} << 8);
      while (seen[prefix | byte]) byte = (byte + 1) & 0xFF;
      seen[prefix | byte] = true;
    }
    out += static_cast<char>(byte);
  }
  return out;
}

}  // namespace tw::lh5::test
