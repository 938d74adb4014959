// Measures the -lh5- codec on files: compressed size, compression and decompression speed. With
// --peer it decodes the -lh5- entry of an archive another archiver wrote from the same file, so the
// runner script can compare sizes and our decoder's speed on foreign streams.
//
//   tw_lh5_bench FILE...                 one "ours" line per file
//   tw_lh5_bench --peer ARCHIVE FILE     one "peer" line
//
// Lines: ours NAME SIZE COMPRESSED COMPRESS_MB/S DECOMPRESS_MB/S
//        peer NAME SIZE COMPRESSED DECOMPRESS_MB/S

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "interpreter/lh5/lh5.h"
#include "interpreter/lh5/lzh_archive.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string readFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("cannot read ") + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs work until at least half a second has passed (and at least twice); returns MB/s for bytes per run.
template <class Work>
double megabytesPerSecond(std::size_t bytes, Work work) {
  int runs = 0;
  const auto start = Clock::now();
  std::chrono::duration<double> elapsed{};
  do {
    work();
    ++runs;
    elapsed = Clock::now() - start;
  } while (runs < 2 || elapsed.count() < 0.5);
  return static_cast<double>(bytes) * runs / elapsed.count() / 1e6;
}

const char* baseName(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '/') name = p + 1;
  }
  return name;
}

int ours(const char* path) {
  const std::string data = readFile(path);
  std::string stream;
  const double compressSpeed = megabytesPerSecond(data.size(), [&] { stream = tw::lh5::compress(data); });
  std::string back;
  const double decompressSpeed =
      megabytesPerSecond(data.size(), [&] { back = tw::lh5::decompress(stream, data.size()); });
  if (back != data) {
    std::fprintf(stderr, "%s: round trip differs\n", path);
    return 1;
  }
  std::printf("ours %s %zu %zu %.2f %.2f\n", baseName(path), data.size(), stream.size(), compressSpeed, decompressSpeed);
  return 0;
}

int peer(const char* archivePath, const char* path) {
  const std::string data = readFile(path);
  const tw::lh5::ArchiveEntry entry = tw::lh5::firstEntry(readFile(archivePath));
  if (entry.method != "-lh5-" || entry.originalSize != data.size()) {
    std::fprintf(stderr, "%s: not an -lh5- entry of %s\n", archivePath, path);
    return 1;
  }
  std::string back;
  const double speed = megabytesPerSecond(data.size(), [&] { back = tw::lh5::decompress(entry.data, data.size()); });
  if (back != data) {
    std::fprintf(stderr, "%s: decodes to different data\n", archivePath);
    return 1;
  }
  std::printf("peer %s %zu %zu %.2f\n", baseName(path), data.size(), entry.data.size(), speed);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 4 && std::string(argv[1]) == "--peer") return peer(argv[2], argv[3]);
    if (argc < 2 || argv[1][0] == '-') {
      std::fprintf(stderr, "usage: %s FILE... | --peer ARCHIVE FILE\n", argv[0]);
      return 2;
    }
    for (int i = 1; i < argc; ++i) {
      if (ours(argv[i]) != 0) return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
