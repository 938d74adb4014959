// Our streams against LHA programs that others wrote: lhasa and jlha must read what we write, and we
// must read what jlha writes. Both programs are looked up on PATH.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>

#include "interpreter/lh5/lh5.h"
#include "interpreter/lh5/lzh_archive.h"
#include "test_data.h"

namespace tw::lh5 {
namespace {

namespace fs = std::filesystem;

bool onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const fs::path candidate = fs::path(dirs.substr(start, end - start)) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

#define REQUIRE_PROGRAM(program, package) \
  ASSERT_TRUE(onPath(program)) << program " not found on PATH; install the Debian package " package

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tw-lh5-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void writeFile(const fs::path& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Outcome {
  int status = -1;
  std::string output;  // stdout and stderr
};

// Runs a shell command in dir; file names here are our own and need no quoting.
Outcome run(const fs::path& dir, const std::string& command) {
  Outcome result;
  const std::string line = "cd '" + dir.string() + "' && " + command + " 2>&1 < /dev/null";
  FILE* pipe = ::popen(line.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

struct Case {
  const char* name;
  std::function<std::string()> make;
};

const Case kOurStreams[] = {
    {"Empty", [] { return std::string(); }},
    {"OneByte", [] { return std::string("A"); }},
    {"Random100KiB", [] { return test::randomBytes(100 * 1024, 1); }},
    {"Text1MiB", [] { return test::text(1 << 20, 2); }},
    {"LongRuns", [] { return std::string(3 << 20, 'x') + std::string(1000, 'y') + std::string(70000, '\0'); }},
    {"RepeatAtDistance8192", [] { std::string x = test::randomWithoutRepeats(8192, 20); return x + x; }},
    {"BlockOfLiteralsAndOneMore", [] { return test::randomWithoutRepeats(14543, 20); }},
};

// Inputs jlha compresses with -lh5- (it stores empty, tiny and incompressible files instead).
const Case kTheirStreams[] = {
    {"Text1MiB", [] { return test::text(1 << 20, 2); }},
    {"LongRuns", [] { return std::string(3 << 20, 'x') + std::string(1000, 'y') + std::string(70000, '\0'); }},
    {"RepeatAtDistance8192", [] { std::string x = test::randomWithoutRepeats(8192, 20); return x + x; }},
    {"TextAndRandomMixed", [] { return test::text(40000, 3) + test::randomBytes(30000, 4) + test::text(40000, 5); }},
    {"ShortText", [] { return std::string("print \"hello, world\"~\r\nend~\r\nprint \"hello, world\"~\r\n"); }},
};

std::string caseName(const ::testing::TestParamInfo<Case>& p) { return p.param.name; }

class OurStreams : public ::testing::TestWithParam<Case> {};

TEST_P(OurStreams, LhasaTestsAndExtractsThem) {
  REQUIRE_PROGRAM("lhasa", "lhasa");
  const std::string data = GetParam().make();
  TempDir dir;
  writeFile(dir.path() / "ours.lzh", level0Archive("data.bin", data, compress(data)));

  // "lhasa t" checks the CRC of what it decodes; it prints "Tested" for a good entry and nothing for an
  // archive it cannot read, so the exit status alone proves nothing.
  const Outcome tested = run(dir.path(), "lhasa t ours.lzh");
  EXPECT_EQ(tested.status, 0) << tested.output;
  EXPECT_NE(tested.output.find("data.bin"), std::string::npos) << tested.output;
  EXPECT_NE(tested.output.find("Tested"), std::string::npos) << tested.output;
  EXPECT_EQ(tested.output.find("error"), std::string::npos) << tested.output;

  fs::create_directory(dir.path() / "out");
  const Outcome extracted = run(dir.path(), "lhasa xqw=out ours.lzh");
  ASSERT_EQ(extracted.status, 0) << extracted.output;
  EXPECT_TRUE(readFile(dir.path() / "out" / "data.bin") == data) << "lhasa extracted different bytes";
}

TEST_P(OurStreams, JlhaExtractsThem) {
  REQUIRE_PROGRAM("jlha", "jlha-utils");
  const std::string data = GetParam().make();
  TempDir dir;
  writeFile(dir.path() / "ours.lzh", level0Archive("data.bin", data, compress(data)));
  fs::create_directory(dir.path() / "out");
  // jlha does not check the CRC, so the extracted bytes are compared here.
  const Outcome extracted = run(dir.path(), "jlha xqw=out ours.lzh");
  ASSERT_EQ(extracted.status, 0) << extracted.output;
  EXPECT_TRUE(readFile(dir.path() / "out" / "data.bin") == data) << "jlha extracted different bytes";
}

INSTANTIATE_TEST_SUITE_P(Lh5, OurStreams, ::testing::ValuesIn(kOurStreams), caseName);

class TheirStreams : public ::testing::TestWithParam<Case> {};

TEST_P(TheirStreams, WeDecodeWhatJlhaWrote) {
  REQUIRE_PROGRAM("jlha", "jlha-utils");
  const std::string data = GetParam().make();
  TempDir dir;
  writeFile(dir.path() / "input", data);
  const Outcome created = run(dir.path(), "jlha c1o5q theirs.lzh input");
  ASSERT_EQ(created.status, 0) << created.output;

  const ArchiveEntry entry = firstEntry(readFile(dir.path() / "theirs.lzh"));
  ASSERT_EQ(entry.method, "-lh5-");
  ASSERT_EQ(entry.originalSize, data.size());
  EXPECT_EQ(entry.crc, crc16(data));
  EXPECT_TRUE(decompress(entry.data, entry.originalSize) == data) << "decoded different bytes";
  // Our encoder should never do worse than theirs.
  EXPECT_LE(compress(data).size(), entry.data.size());
}

INSTANTIATE_TEST_SUITE_P(Lh5, TheirStreams, ::testing::ValuesIn(kTheirStreams), caseName);

}  // namespace
}  // namespace tw::lh5
