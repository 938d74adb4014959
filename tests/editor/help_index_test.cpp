// The help's index of names and its lookup: on a small index written here, and on the reference this build
// generated, which must know every word the editor shows bold.

#include "editor/help_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "commands/tarnwick_basic.h"
#include "editor/command_menu.h"
#include "editor/script_styler.h"
#include "files/system_folders.h"
#include "port/fake/fake_desktop.h"
#include "support/recording_host.h"
#include "support/scoped_environment.h"

namespace tw::editor {
namespace {

namespace fs = std::filesystem;

class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "tw-help-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TemporaryFolder() { fs::remove_all(path_); }
  std::string At(const std::string& name) const { return (path_ / name).string(); }
  void Write(const std::string& name, const std::string& text) const {
    fs::create_directories(fs::path(At(name)).parent_path());
    std::ofstream(At(name), std::ios::binary) << text;
  }

 private:
  fs::path path_;
};

// Rows as the generator writes them; letter headings and the page's frame are not rows.
constexpr const char* kNames = R"(<nav><a href="index.html">Contents</a></nav>
<h2 id="letter-C">C</h2><ul class="names">
<li><a href="statements.html#caseof">case</a> <span class="kind">statement, Statements</span></li>
<li><a href="statements.html#caseof">caseof</a> <span class="kind">statement, Statements</span></li>
</ul>
<li><a href="system-variables.html#delay">_delay</a> <span class="kind">system variable, System &amp; more</span></li>
<li><a href="keys.html#send">send</a> <span class="kind">command, Typing keys</span></li>
<li><a href="keys.html#sendex">SendEx</a> <span class="kind">command, Typing keys</span></li>
<li><a href="windows.html#setwinpos">setwinpos</a> <span class="kind">command, Windows</span></li>
)";

class SmallIndex : public ::testing::Test {
 protected:
  SmallIndex() {
    folder.Write("reference/names.html", kNames);
    std::string error;
    loaded = HelpIndex::Load(folder.At("reference"), error);
    EXPECT_TRUE(loaded) << error;
  }
  TemporaryFolder folder;
  std::optional<HelpIndex> loaded;
};

TEST_F(SmallIndex, ReadsEveryRowWithItsPageAnchorAndKind) {
  ASSERT_EQ(loaded->Topics().size(), 6u);
  const HelpTopic& delay = loaded->Topics()[2];
  EXPECT_EQ(delay.name, "_delay");
  EXPECT_EQ(delay.page, "system-variables.html");
  EXPECT_EQ(delay.anchor, "delay");
  EXPECT_EQ(delay.kind, "system variable, System & more");
  EXPECT_EQ(loaded->Folder(), folder.At("reference") + "/");
}

TEST_F(SmallIndex, OneHitOpensItsTopicNoneTheFilteredIndexNoWordTheContents) {
  struct Case {
    std::string text;
    HelpLookup::Show show;
    std::string expected;  // the topic's page#anchor, or the index's filter
  };
  const std::string longWord = std::string(98, 'x') + "\xc3\xa9\xc3\xa9zz";  // 102 characters, 104 bytes
  const Case cases[] = {
      {"send", HelpLookup::Show::Topic, "keys.html#send"},
      {"SEND", HelpLookup::Show::Topic, "keys.html#send"},
      {"sendex", HelpLookup::Show::Topic, "keys.html#sendex"},
      {"  send\n", HelpLookup::Show::Topic, "keys.html#send"},  // a selection with its line break
      {"case", HelpLookup::Show::Topic, "statements.html#caseof"},
      {"_Delay", HelpLookup::Show::Topic, "system-variables.html#delay"},
      {"sen", HelpLookup::Show::Index, "sen"},
      {"send x", HelpLookup::Show::Index, "send x"},
      {longWord, HelpLookup::Show::Index, longWord.substr(0, 102)},  // 100 characters, both é whole
      {"", HelpLookup::Show::Contents, ""},
      {" \t ", HelpLookup::Show::Contents, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const HelpLookup lookup = loaded->Lookup(c.text);
    EXPECT_EQ(lookup.show, c.show);
    if (c.show == HelpLookup::Show::Topic) {
      ASSERT_NE(lookup.topic, nullptr);
      EXPECT_EQ(lookup.topic->page + "#" + lookup.topic->anchor, c.expected);
    }
    if (c.show == HelpLookup::Show::Index) {
      EXPECT_EQ(lookup.filter, c.expected);
    }
  }
}

TEST_F(SmallIndex, FiltersByPartOfTheNameWithoutLetterCase) {
  const auto names = [this](std::string_view filter) {
    std::string out;
    for (const HelpTopic* topic : loaded->Filtered(filter)) out += topic->name + " ";
    return out;
  };
  EXPECT_EQ(names("SEN"), "send SendEx ");
  EXPECT_EQ(names("case"), "case caseof ");
  EXPECT_EQ(names("winp"), "setwinpos ");
  EXPECT_EQ(names("nothing"), "");
  EXPECT_EQ(names(""), "case caseof _delay send SendEx setwinpos ");
}

TEST(HelpIndexLoad, AMissingUnreadableOrEmptyIndexSaysWhy) {
  TemporaryFolder folder;
  folder.Write("empty/names.html", "<html><body>no rows</body></html>");
  fs::create_directories(folder.At("folder/names.html"));
  struct Case {
    std::string folder;
    std::string says;
  };
  for (const Case& c : {Case{folder.At("none"), "is not there"}, Case{folder.At("empty"), "lists no names"},
                        Case{folder.At("folder"), "names.html"}}) {
    std::string error;
    EXPECT_FALSE(HelpIndex::Load(c.folder, error)) << c.folder;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

TEST(ReferenceFolder, BesideTheProgramFirstThenTheSystemsDataFoldersInOrder) {
  TemporaryFolder folder;
  const test::ScopedEnvironment dirs("XDG_DATA_DIRS", "relative/ignored:" + folder.At("a") + ":" + folder.At("b"));
  const std::vector<std::string> candidates = ReferenceFolderCandidates();
  ASSERT_EQ(candidates.size(), 3u);
  EXPECT_EQ(candidates[0], ProgramFolder() + "reference/");
  EXPECT_EQ(candidates[1], folder.At("a") + "/doc/tarnwick/reference/");
  EXPECT_EQ(candidates[2], folder.At("b") + "/doc/tarnwick/reference/");

  // This test program has no copy beside it: the first installed one with an index is found.
  folder.Write("a/doc/tarnwick/reference/index.html", "no index of names here");
  EXPECT_EQ(FindReferenceFolder(), "");
  folder.Write("b/doc/tarnwick/reference/names.html", kNames);
  EXPECT_EQ(FindReferenceFolder(), candidates[2]);
  folder.Write("a/doc/tarnwick/reference/names.html", kNames);
  EXPECT_EQ(FindReferenceFolder(), candidates[1]);
}

TEST(HelpWord, TheSelectionElseTheWordTheCaretTouches) {
  struct Case {
    std::string selection;
    std::string line;
    std::size_t caret;
    std::string word;
  };
  const Case cases[] = {
      {"", "  send \"abc\"", 4, "send"},     // inside
      {"", "  send \"abc\"", 2, "send"},     // just before
      {"", "  send \"abc\"", 6, "send"},     // just after
      {"", "x = x.msgbox(1)", 8, "msgbox"},  // a dot ends a word
      {"", "_delay = 2", 3, "_delay"},
      {"", "a  = 1", 2, ""},  // on blanks
      {"", "", 0, ""},
      {"", "send", 99, "send"},           // a caret past the end stands at it
      {"Help on", "send", 2, "Help on"},  // the selection as it is
      {"  ", "send", 2, "send"},          // a selection of blanks is none
  };
  for (const Case& c : cases) EXPECT_EQ(HelpWord(c.selection, c.line, c.caret), c.word) << c.line << " @" << c.caret;
}

// Every word the editor shows bold or offers in its Commands/Functions menu has its own entry in the reference
// this build made, on a page that is there: the help is the language's documentation.
TEST(GeneratedReference, EveryHighlightedWordAndMenuKeywordHasATopicWhosePageExists) {
  std::string error;
  const std::optional<HelpIndex> index = HelpIndex::Load(TW_REFERENCE_HTML, error);
  ASSERT_TRUE(index) << error;
  test::RecordingHost host;
  port::fake::FakeDesktop desktop;
  const TTarnwickBasic library(host, desktop);
  const ScriptStyler styler(library);
  ASSERT_FALSE(styler.Keywords().empty());
  for (const std::string& word : styler.Keywords()) {
    const HelpLookup lookup = index->Lookup(word);
    EXPECT_EQ(lookup.show, HelpLookup::Show::Topic) << word << " has no help topic";
  }
  int menuKeywords = 0;
  for (const CommandMenuGroup& group : ParseCommandMenu(CommandMenuLines())) {
    for (const CommandMenuItem& item : group.items) {
      if (item.IsSeparator()) continue;
      ++menuKeywords;
      const HelpLookup lookup = index->Lookup(item.keyword);
      EXPECT_EQ(lookup.show, HelpLookup::Show::Topic)
          << item.caption << " in " << group.caption << " has no help topic";
      if (item.caption == "MOUSEPOS") {
        ASSERT_NE(lookup.topic, nullptr);
        EXPECT_EQ(lookup.topic->name, "getmousepos") << "MOUSEPOS names no function: its item is getmousepos";
      }
    }
  }
  EXPECT_GT(menuKeywords, 100) << "the menu table was not walked";
  for (const HelpTopic& topic : index->Topics())
    EXPECT_TRUE(IsRegularFile(index->Folder() + topic.page)) << topic.name << ": " << topic.page;
}

}  // namespace
}  // namespace tw::editor
