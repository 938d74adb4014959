#pragma once
// The -lh5- compression method: LZSS over an 8 KiB sliding dictionary with static Huffman coding in
// blocks. Compiled scripts store their text this way. The functions work on the raw bit stream only:
// no archive header, no file name, no checksum; the caller keeps the original length beside it.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tw::lh5 {

// Raised by decompress for any stream it cannot decode; the message is always "Compressed file is corrupt".
class CorruptData : public std::runtime_error {
 public:
  CorruptData();
};

// Compresses data into an -lh5- bit stream that any LHA decoder reads back.
std::string compress(std::string_view data);

// Decodes exactly originalSize bytes from an -lh5- bit stream. Bits past the end of the stream read as
// zero. Throws CorruptData when the stream is damaged or cannot hold originalSize bytes of output.
std::string decompress(std::string_view stream, std::size_t originalSize);

}  // namespace tw::lh5
