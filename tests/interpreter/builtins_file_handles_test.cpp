// fopen, fgets, fputs, feof and fclose through whole scripts, and the handle's line buffer.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "interpreter/file_table.h"
#include "scratch_folder.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RunCases;
using test::RunScript;
using test::ScriptCase;

class FileHandles : public test::ScratchFolderTest {};

constexpr const char* kBlockScript =
    "h = fopen(\"in.txt\", 1)\n"
    "print \"[\" + fgets(h, \";\") + \"]\"\n"
    "print \"[\" + fgets(h, \";\") + \"]\"\n"
    "print feof(h)\n"
    "print \"[\" + fgets(h, \";\") + \"]\"\n"
    "print feof(h)\n"
    "print \"[\" + fgets(h, \";\") + \"]\"\n";

TEST_F(FileHandles, DelimiterReadsReturnBlocksOfLinesWhateverTheLineBreaks) {
  struct Case {
    const char* name;
    std::string content;
  };
  const Case cases[] = {
      {"CR LF", "a;b\r\nc\r\nd;e\r\n"},
      {"LF", "a;b\nc\nd;e\n"},
      {"no final line break", "a;b\nc\nd;e"},
      {"lone CR", "a;b\rc\rd;e\r"},
  };
  // The text after the delimiter waits for the next read, so feof is 0 until it has been read.
  const std::string expected = "[a\r\n]\n[b\r\nc\r\nd\r\n]\n0\n[e\r\n]\n1\n[]\n";
  for (const Case& c : cases) {
    Write("in.txt", c.content);
    test::ScriptRun run = RunScript(kBlockScript);
    EXPECT_EQ(run.Output, expected) << c.name;
    EXPECT_TRUE(run.Errors.empty()) << c.name;
  }
}

TEST_F(FileHandles, LeftOverTextIsNotSearchedAndComesFirstForLineReadsToo) {
  Write("in.txt", "x::y::z\nw\na;b\nc\n");
  RunCases(std::vector<ScriptCase>{
      {"left-over text",
       "h = fopen(\"in.txt\", 1)\n"
       "print \"[\" + fgets(h, \"::\") + \"]\"\n"
       "print \"[\" + fgets(h, \";\") + \"]\"\n"
       "print \"[\" + fgets(h) + \"]\"\n"
       "print \"[\" + fgets(h) + \"]\"\n"
       "print feof(h)\n",
       "[x\r\n]\n[y::z\r\nw\r\na\r\n]\n[b]\n[c]\n1\n", ""},
  });
}

TEST_F(FileHandles, LineReadsAcceptCrLfLfAndALoneCr) {
  struct Case {
    const char* name;
    std::string content;
    std::string lines;  // what the loop prints
  };
  const Case cases[] = {
      {"CR LF", "one\r\ntwo\r\n", "<one>\n<two>\n"},
      {"LF without a final break", "one\ntwo", "<one>\n<two>\n"},
      {"lone CR", "one\rtwo\r", "<one>\n<two>\n"},
      {"empty lines", "\r\n\n\r\rx", "<>\n<>\n<>\n<>\n<x>\n"},
      {"CR CR LF", "a\r\r\nb", "<a>\n<>\n<b>\n"},
      {"empty file", "", ""},
  };
  const std::string script =
      "h = fopen(\"in.txt\", 1)\n"
      "while feof(h) = 0\n"
      "print \"<\" + fgets(h) + \">\"\n"
      "endwhile\n"
      "print \"end[\" + fgets(h) + \"]\"\n"
      "fclose(h)\n";
  for (const Case& c : cases) {
    Write("in.txt", c.content);
    test::ScriptRun run = RunScript(script);
    EXPECT_EQ(run.Output, c.lines + "end[]\n") << c.name;
    EXPECT_TRUE(run.Errors.empty()) << c.name;
  }
}

TEST_F(FileHandles, BufferedLinesAcrossTheEdgeOfTheBuffer) {
  constexpr std::size_t kEdge = TFileSystem::kReadBufferSize;
  struct Case {
    const char* name;
    std::string content;
    std::vector<std::string> lines;
  };
  const std::string x(kEdge - 1, 'x');
  const Case cases[] = {
      {"CR last in the buffer, LF first in the next", x + "\r\ny\r\n", {x, "y"}},
      {"the file ends with that LF", x + "\r\n", {x}},
      {"lone CR last in the buffer", x + "\ry", {x, "y"}},
      {"CR LF both in the buffer", std::string(kEdge - 2, 'x') + "\r\nz", {std::string(kEdge - 2, 'x'), "z"}},
      {"a line longer than three buffers", std::string(3 * kEdge + 5, 'q') + "\nend", {std::string(3 * kEdge + 5, 'q'), "end"}},
  };
  for (const Case& c : cases) {
    Write("big.txt", c.content);
    FileTable files;
    const int handle = files.Open("big.txt", FileMode::Read);
    ASSERT_NE(handle, 0);
    TFileSystem* file = files.Find(handle);
    for (const std::string& expected : c.lines) {
      bool atEnd = true;
      ASSERT_EQ(file->AtEnd(atEnd), IoResult::Ok);
      EXPECT_FALSE(atEnd) << c.name;
      std::string_view line;
      ASSERT_EQ(file->ReadLine(line), IoResult::Ok) << c.name;
      EXPECT_TRUE(line == expected) << c.name << ": a line of " << line.size() << " bytes";
    }
    bool atEnd = false;
    ASSERT_EQ(file->AtEnd(atEnd), IoResult::Ok);
    EXPECT_TRUE(atEnd) << c.name;
    std::string_view line;
    EXPECT_EQ(file->ReadLine(line), IoResult::EndOfFile) << c.name;
  }
}

TEST_F(FileHandles, WritingCreatesOrEmptiesAndAppendingNeedsAnExistingFile) {
  Write("out.txt", "old text that must go\r\n");
  RunCases(std::vector<ScriptCase>{
      {"write then append",
       "h = fopen(\"out.txt\", 2)\n"
       "fputs(h, \"one\")\n"
       "fputs(h, \"\")\n"
       "fclose(h)\n"
       "h = fopen(\"out.txt\", 3)\n"
       "fputs(h, \"two\")\n"
       "fclose(h)\n"
       "print fopen(\"new.txt\", 3)\n"
       "print fopen(\"\", 2)\n"
       "print fopen(\"missing.txt\", 1)\n"
       "print fopen(\".\", 1)\n"
       "h = fopen(\"out.txt\", 1)\n"
       "if h >= 1 and h <= 10000\n"
       "print \"a handle from 1 to 10000\"\n"
       "endif\n",
       "0\n0\n0\n0\na handle from 1 to 10000\n", ""},
  });
  EXPECT_EQ(Read("out.txt"), "one\r\n\r\ntwo\r\n");
  EXPECT_FALSE(Exists("new.txt"));
}

TEST_F(FileHandles, EveryFailureHasItsMessage) {
  Write("in.txt", "text\n");
  std::vector<ScriptCase> cases = {
      {"mode out of range", "h = fopen(\"in.txt\", 4)", "", ErrorAt("Invalid Open Mode", 1)},
      {"mode not a number", "h = fopen(\"in.txt\", \"r\")", "", ErrorAt("Invalid Open Mode", 1)},
      {"fractional mode", "h = fopen(\"in.txt\", 1.5)", "", ErrorAt("Invalid Open Mode", 1)},
      {"closing what a failed open returned", "h = fopen(\"missing.txt\", 1)\nprint h\nfclose(h)", "0\n",
       ErrorAt("Unknown File Handle", 3)},
      {"closing twice", "h = fopen(\"in.txt\", 1)\nfclose(h)\nfclose(h)", "", ErrorAt("Unknown File Handle", 3)},
      {"feof while writing", "h = fopen(\"out.txt\", 2)\nx = feof(h)", "",
       ErrorAt("FEOF Cannot be Used While in Write Mode", 2)},
      {"feof while appending", "h = fopen(\"in.txt\", 3)\nx = feof(h)", "",
       ErrorAt("FEOF Cannot be Used While in Write Mode", 2)},
      {"reading a file opened for writing", "h = fopen(\"out.txt\", 2)\nx = fgets(h)", "",
       ErrorAt("File not open for input", 2)},
      {"writing a file opened for reading", "h = fopen(\"in.txt\", 1)\nfputs(h, \"x\")", "",
       ErrorAt("File not open for output", 2)},
      {"a close that cannot write the rest", "h = fopen(\"/dev/full\", 2)\nfputs(h, \"x\")\nfclose(h)", "",
       ErrorAt("Cannot write file \"/dev/full\": No space left on device", 3)},
  };
  // Each handle function tells a handle that is no number from one that is not open.
  for (const char* call : {"x = fgets(%)", "fputs(%, \"t\")", "x = feof(%)", "fclose(%)"}) {
    for (const char* handle : {"\"abc\"", "0", "77", "2.5", "20000"}) {
      std::string script(call);
      script.replace(script.find('%'), 1, handle);
      const bool number = std::string(handle) != "\"abc\"";
      cases.push_back({call, script, "", ErrorAt(number ? "Unknown File Handle" : "Invalid Handle", 1)});
    }
  }
  RunCases(cases);
}

// The number of file descriptors this process has open.
std::size_t OpenDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

TEST_F(FileHandles, HandlesLeftOpenAreClosedWhenTheRunEnds) {
  Write("in.txt", "text\n");
  struct Case {
    const char* name;
    const char* script;
  };
  const Case cases[] = {
      {"end of the script", "a = fopen(\"in.txt\", 1)\nb = fopen(\"out.txt\", 2)\nfputs(b, \"kept\")\n"},
      {"end statement", "a = fopen(\"in.txt\", 1)\nb = fopen(\"out.txt\", 2)\nfputs(b, \"kept\")\nend\nprint 1\n"},
      {"script error", "a = fopen(\"in.txt\", 1)\nb = fopen(\"out.txt\", 2)\nfputs(b, \"kept\")\nx = fgets(\"bad\")\n"},
      {"opened in a sub",
       "opener()\nfputs(_globalout, \"kept\")\nend\n"
       "sub opener()\n_globalin = fopen(\"in.txt\", 1)\n_globalout = fopen(\"out.txt\", 2)\nendsub\n"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove("out.txt");
    const std::size_t before = OpenDescriptors();
    RunScript(c.script);
    EXPECT_EQ(OpenDescriptors(), before) << c.name;
    EXPECT_EQ(Read("out.txt"), "kept\r\n") << c.name;  // buffered text reaches the file
  }
}

}  // namespace
}  // namespace tw
