// The X11 clipboard exchanges text with real programs (xclip) on a private X server, and hands its text to a
// clipboard manager when it ends.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "port/x11/x11_clipboard.h"
#include "test_bed.h"

namespace tw::port::x11 {
namespace {

using testbed::kPatience;
using testbed::readFile;
using testbed::TestBed;
using testbed::waitUntil;

std::unique_ptr<X11Clipboard> clipboardOn(const TestBed& bed) {
  auto clipboard = X11Clipboard::open(bed.display());
  if (!clipboard) throw std::runtime_error("cannot open " + bed.display());
  return clipboard;
}

// What `xclip -o` pastes, asking for `target`.
std::string pastedByXclip(TestBed& bed, const std::string& target) {
  static int run = 0;
  const auto out = bed.dir() / ("xclip-out-" + std::to_string(++run));
  auto& xclip = bed.launch({"xclip", "-o", "-selection", "clipboard", "-t", target}, {{}, out, -1});
  EXPECT_EQ(xclip.waitForExit(kPatience), 0) << readFile(out);
  return readFile(out);
}

// Puts a file's content on the clipboard with xclip, which stays in the foreground as its owner.
void copiedByXclip(TestBed& bed, const std::string& content) {
  static int run = 0;
  const auto file = bed.dir() / ("xclip-in-" + std::to_string(++run));
  std::ofstream(file, std::ios::binary) << content;
  bed.launch({"xclip", "-quiet", "-selection", "clipboard", "-i", file.string()},
             {{}, bed.dir() / ("xclip-in.log" + std::to_string(run)), -1});
}

TEST(X11Clipboard, OtherProgramsPasteWhatWasSet) {
  TestBed bed({.windowManager = false});
  auto clipboard = clipboardOn(bed);
  ASSERT_TRUE(clipboard->setText("héllo ✓ wörld\nline two"));
  EXPECT_EQ(pastedByXclip(bed, "UTF8_STRING"), "héllo ✓ wörld\nline two");
  EXPECT_EQ(pastedByXclip(bed, "STRING"), "h\xe9llo ? w\xf6rld\nline two");
  EXPECT_EQ(pastedByXclip(bed, "TARGETS"), "TARGETS\nUTF8_STRING\nTEXT\nSTRING\nTIMESTAMP\n");
  EXPECT_EQ(clipboard->text(), "héllo ✓ wörld\nline two");
}

TEST(X11Clipboard, ReadsWhatOtherProgramsCopiedSmallOrLarge) {
  TestBed bed({.windowManager = false});
  auto clipboard = clipboardOn(bed);
  EXPECT_EQ(clipboard->text(), std::nullopt) << "nobody owns the clipboard yet";

  ASSERT_TRUE(clipboard->setText("ours"));
  copiedByXclip(bed, "from xclip: ünï\n");
  EXPECT_TRUE(waitUntil([&] { return clipboard->text() == "from xclip: ünï\n"; })) << clipboard->text().value_or("(none)");

  // Large text comes in pieces (INCR).
  std::string large;
  for (int i = 0; large.size() < 3'000'000; ++i) large += "line " + std::to_string(i) + "\n";
  copiedByXclip(bed, large);
  EXPECT_TRUE(waitUntil([&] { return clipboard->text() == large; }));
}

TEST(X11Clipboard, HandsItsTextToTheClipboardManagerWhenItEnds) {
  TestBed bed({.windowManager = false});
  const auto saved = bed.dir() / "saved.txt";
  bed.launch({TW_CLIPBOARD_MANAGER_STANDIN, saved.string()}, {{}, bed.dir() / "manager.log", -1});
  ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(saved.string() + ".ready"); }));
  {
    auto clipboard = clipboardOn(bed);
    ASSERT_TRUE(clipboard->setText("keep me ✓"));
  }
  EXPECT_EQ(readFile(saved), "keep me ✓");
}

}  // namespace
}  // namespace tw::port::x11
