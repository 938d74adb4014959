// The completion list: its file format and where it is read, the word before the caret and its expansion,
// the guide's texts and the Commands/Functions menu.

#include "editor/completion_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "editor/command_menu.h"
#include "editor/script_guide.h"
#include "interpreter/scratch_folder.h"
#include "support/scoped_environment.h"

namespace tw::editor {
namespace {

constexpr const char* kList =
    "# made for the test\n"
    "[Tarnwick Script]\n"
    "comment=Tarnwick Script|the list's heading\n"
    "\n"
    "[msgbox]\n"
    "comment=Shows a message|msgbox(TEXT)\\nmsgbox(TEXT, TYPE)\n"
    "|msgbox(\"$0\")\n"
    "[while]\n"
    "comment=Repeats lines <while> a condition holds\n"
    "|while $0\n"
    "|  print 1\n"
    "|endwhile\n"
    "stray line inside an entry\n"
    "[beep]\n"
    "|beep\n"
    "[MsgBox]\n"
    "comment=A second entry for the same word|\n";

TEST(CompletionList, ReadsEntriesWithHeadingsBodiesAndTemplateLines) {
  const CompletionList list = CompletionList::Parse(kList);
  ASSERT_EQ(list.Entries().size(), 5u);
  const CompletionEntry* msgbox = list.Find("MSGBOX");
  ASSERT_NE(msgbox, nullptr);
  EXPECT_EQ(msgbox->heading, "Shows a message");
  EXPECT_EQ(msgbox->body, "msgbox(TEXT)\nmsgbox(TEXT, TYPE)");
  EXPECT_EQ(msgbox->templateLines, std::vector<std::string>{"msgbox(\"$0\")"});
  const CompletionEntry* loop = list.Find("While");
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->heading, "Repeats lines <while> a condition holds");
  EXPECT_EQ(loop->body, "");
  EXPECT_EQ(loop->templateLines, (std::vector<std::string>{"while $0", "  print 1", "endwhile"}));
  EXPECT_EQ(list.IndexOf("msgbox"), 1u) << "the first entry of a word counts";
  EXPECT_EQ(list.IndexOf("msg"), std::nullopt);
  EXPECT_EQ(list.IndexOf("tarnwick"), std::nullopt);
}

class CompletionFileTest : public test::ScratchFolderTest {};

TEST_F(CompletionFileTest, TheUsersCopyComesFirstThenTheOneBesideTheProgramThenTheInstalledOne) {
  std::filesystem::create_directories(At("home/tarnwick"));
  std::filesystem::create_directories(At("program"));
  std::filesystem::create_directories(At("share/tarnwick"));
  test::ScopedEnvironment home("XDG_DATA_HOME", At("home"));
  test::ScopedEnvironment dirs("XDG_DATA_DIRS", "relative:" + At("none") + ":" + At("share"));
  const std::string program = At("program/");
  EXPECT_EQ(CompletionList::FileToRead(program), "");
  Write(At("share/tarnwick/TWS.ACP"), "[a]\n");
  EXPECT_EQ(CompletionList::FileToRead(program), At("share/tarnwick/TWS.ACP"));
  Write(At("program/TWS.ACP"), "[a]\n");
  EXPECT_EQ(CompletionList::FileToRead(program), At("program/TWS.ACP"));
  Write(At("home/tarnwick/TWS.ACP"), "[a]\n");
  EXPECT_EQ(CompletionList::FileToRead(program), At("home/tarnwick/TWS.ACP"));
}

TEST_F(CompletionFileTest, AMissingOrUnreadableFileGivesAnEmptyList) {
  Write(At("TWS.ACP"), kList);
  EXPECT_EQ(CompletionList::Load(At("TWS.ACP")).Entries().size(), 5u);
  EXPECT_TRUE(CompletionList::Load(At("missing.ACP")).Empty());
  EXPECT_TRUE(CompletionList::Load("").Empty());
  std::filesystem::create_directories(At("folder.ACP"));
  EXPECT_TRUE(CompletionList::Load(At("folder.ACP")).Empty());
}

TEST(CompletionList, ExpandsTheWordBeforeTheCaret) {
  const CompletionList list = CompletionList::Parse(kList);
  const struct {
    const char* before;
    std::size_t start;
    const char* text;  // "^" where the caret goes
  } cases[] = {
      {"msgbox", 0, "msgbox(\"^\")"},
      {"x = MsgBox", 4, "msgbox(\"^\")"},
      {"  x.msgbox", 4, "msgbox(\"^\")"},
      {"(msgbox", 1, "msgbox(\"^\")"},
      {"a\tmsgbox", 2, "msgbox(\"^\")"},
      {"  while", 2, "while ^\n    print 1\n  endwhile"},
      {"\tif x: while", 7, "while ^\n\t        print 1\n\t      endwhile"},
      {"é while", 3, "while ^\n    print 1\n  endwhile"},  // the column counts characters, not bytes
      {"beep", 0, "beep^"},                                // no mark: the caret goes to the end
  };
  for (const auto& c : cases) {
    const std::optional<Expansion> expansion = ExpandWordBeforeCaret(list, c.before, "\n");
    ASSERT_TRUE(expansion) << c.before;
    EXPECT_EQ(expansion->start, c.start) << c.before;
    std::string shown = expansion->text;
    shown.insert(expansion->caret, "^");
    EXPECT_EQ(shown, c.text) << c.before;
  }
  const std::optional<Expansion> crLf = ExpandWordBeforeCaret(list, "while", "\r\n");
  ASSERT_TRUE(crLf);
  EXPECT_EQ(crLf->text, "while \r\n  print 1\r\nendwhile");
  for (const char* before : {"", "msgbox ", "msgbox.", "msgbo", "xmsgbox", "msgbox(", "Tarnwick Script"})
    EXPECT_FALSE(ExpandWordBeforeCaret(list, before, "\n")) << before;
}

TEST(CompletionList, TheWordAtTheCaretStopsAtTheDelimiters) {
  const struct {
    const char* line;
    std::size_t caret;
    const char* word;
  } cases[] = {
      {"x = msgbox(\"a\")", 6, "msgbox"},
      {"x = msgbox(\"a\")", 10, "msgbox"},
      {"x = msgbox(\"a\")", 4, "msgbox"},
      {"win.focus", 9, "focus"},
      {"[b]", 2, "b"},
      {"a {b} c", 3, "b"},
      {"  ", 1, ""},
      {"print", 99, "print"},
  };
  for (const auto& c : cases) EXPECT_EQ(WordAt(c.line, c.caret), c.word) << c.line << " @" << c.caret;
}

TEST(ScriptGuide, AKnownWordGivesItsEntryAnyOtherWordTheKeyboardText) {
  const CompletionList list = CompletionList::Parse(kList);
  ScriptGuide guide(list);
  EXPECT_EQ(guide.Look("  x = MSGBOX(\"hi\")", 8), (GuideText{"Shows a message", "msgbox(TEXT)\nmsgbox(TEXT, TYPE)"}));
  EXPECT_EQ(guide.CurrentWord(), "MSGBOX");
  for (const char* line : {"msgbo", "", "Tarnwick"}) {
    EXPECT_EQ(guide.Look(line, 2), ScriptGuide::KeyboardText()) << line;
    EXPECT_EQ(guide.CurrentWord(), std::string(line).substr(0, std::string(line).find(' '))) << line;
  }
  // The first entry of a list gives no guide, whatever its keyword.
  const CompletionList headless = CompletionList::Parse("[msgbox]\ncomment=First|body\n[beep]\ncomment=Beeps|\n");
  ScriptGuide second(headless);
  EXPECT_EQ(second.Look("msgbox", 0), ScriptGuide::KeyboardText());
  EXPECT_EQ(second.Look("beep", 0), (GuideText{"Beeps", ""}));
  EXPECT_EQ(ScriptGuide::KeyboardText().heading, "Keyboard Tarnwicks:");
}

TEST(ScriptGuide, ThePanelsTextIsEscapedWithItsLineBreaks) {
  const std::string html = ScriptGuide::Html({"a < b & \"c\"", "one\r\ntwo\nthree"});
  EXPECT_NE(html.find("<b style=\"color:#000080\">a &lt; b &amp; &quot;c&quot;</b>"), std::string::npos) << html;
  EXPECT_NE(html.find(">one<br>two<br>three</p>"), std::string::npos) << html;
}

TEST(CommandMenu, TheTableGivesGroupsItemsSeparatorsAndKeywords) {
  const std::vector<CommandMenuGroup> parsed = ParseCommandMenu({"+First", "A", "Caption|B", "-", "+Second", "C"});
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[0].caption, "First");
  ASSERT_EQ(parsed[0].items.size(), 3u);
  EXPECT_EQ(parsed[0].items[0].caption, "A");
  EXPECT_EQ(parsed[0].items[0].keyword, "A");
  EXPECT_EQ(parsed[0].items[1].caption, "Caption");
  EXPECT_EQ(parsed[0].items[1].keyword, "B");
  EXPECT_TRUE(parsed[0].items[2].IsSeparator());

  const std::vector<CommandMenuGroup> menu = ParseCommandMenu(CommandMenuLines());
  ASSERT_EQ(menu.size(), 18u);
  EXPECT_EQ(menu.front().caption, "Clipboard Functions");
  EXPECT_EQ(menu.back().caption, "Other Commands");
  const auto& mouse = menu[8].items;
  const auto found =
      std::find_if(mouse.begin(), mouse.end(), [](const auto& item) { return item.caption == "MOUSEPOS"; });
  ASSERT_NE(found, mouse.end());
  EXPECT_EQ(found->keyword, "GETMOUSEPOS");
  // Without an entry for its keyword an item puts in the keyword itself.
  const Expansion plain = ExpandKeyword(CompletionList(), "GETMOUSEPOS", "x = ", "\n");
  EXPECT_EQ(plain.start, 4u);
  EXPECT_EQ(plain.text, "getmousepos");
  EXPECT_EQ(plain.caret, plain.text.size());
  const Expansion known = ExpandKeyword(CompletionList::Parse(kList), "WHILE", "  ", "\n");
  EXPECT_EQ(known.text, "while \n    print 1\n  endwhile");
  EXPECT_EQ(known.caret, 6u);
}

}  // namespace
}  // namespace tw::editor
