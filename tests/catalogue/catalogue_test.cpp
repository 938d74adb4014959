// The catalogue on small trees on disk: which folders and scripts it shows, the orders it sorts in, and the
// folder and script operations reaching the right folder and never losing a file.

#include "catalogue/catalogue.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "interpreter/scratch_folder.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

// Answers questions from a script of answers and keeps every message.
class ScriptedUser : public CatalogueUser {
 public:
  void Warning(const std::string& text) override { messages.push_back("warning: " + text); }
  void Error(const std::string& text) override { messages.push_back("error: " + text); }
  bool Confirm(const std::string& question) override {
    messages.push_back("question: " + question);
    return Next() == "yes";
  }
  std::optional<std::string> Input(const std::string& caption, const std::string& prompt,
                                   const std::string&) override {
    messages.push_back("input: " + caption + " | " + prompt);
    std::string answer = Next();
    if (answer == "<cancel>") return std::nullopt;
    return answer;
  }

  std::deque<std::string> answers;
  std::vector<std::string> messages;

 private:
  std::string Next() {
    if (answers.empty()) return "<cancel>";
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

class CountingHotKeys : public HotKeyTable {
 public:
  int AddHotKey(const std::string& text) override {
    added.push_back(text);
    return static_cast<int>(added.size()) - 1;
  }
  std::vector<std::string> added;
};

class CatalogueTest : public test::ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    root_ = At("Scripts/");
    fs::create_directories(root_);
  }

  // A script with a header; `more` adds header lines.
  void Script(const std::string& path, const std::string& description, const std::string& more = "") {
    fs::create_directories(fs::path(root_ + path).parent_path());
    Write(root_ + path, "#description: " + description + "\r\n" + more + "print 1\r\n");
  }
  void Folder(const std::string& path) { fs::create_directories(root_ + path); }

  Catalogue Open(const std::string& activeFolder = "") {
    Catalogue catalogue(user_, root_);
    catalogue.SetActiveFolder(activeFolder);
    catalogue.RebuildFolderTree();
    catalogue.ListFolderScripts(catalogue.ActiveFolder());
    return catalogue;
  }

  static std::vector<std::string> Descriptions(const Catalogue& catalogue) {
    std::vector<std::string> out;
    for (const ScriptItem& item : catalogue.Items()) out.push_back(item.description);
    return out;
  }
  static std::vector<std::string> Paths(const Catalogue& catalogue) {
    std::vector<std::string> out;
    for (const FolderNode* node : InTreeOrder(*catalogue.Tree())) out.push_back(node->relativePath);
    return out;
  }

  std::string root_;
  ScriptedUser user_;
};

TEST_F(CatalogueTest, TheTreeShowsEveryVisibleFolderByItsPath) {
  Folder("b");
  Folder("A/X");
  Folder("X");
  Folder("v1.2/old");
  Folder(".git/objects");
  Write(root_ + "A/notes.txt", "not a folder");
  fs::create_directory_symlink(root_, root_ + "A/loop");  // back to the root: not followed again
  const Catalogue catalogue = Open();
  ASSERT_TRUE(catalogue.Tree());
  EXPECT_EQ(catalogue.Tree()->text, "Scripts");
  EXPECT_EQ(Paths(catalogue), (std::vector<std::string>{"", "A", "A/X", "b", "v1.2", "v1.2/old", "X"}));
  EXPECT_TRUE(user_.messages.empty());
}

TEST_F(CatalogueTest, TheActiveFolderSelectsItsNodeOrTheRoot) {
  Folder("A/X");
  Folder("X");
  Script("A/X/deep.tws", "Deep");
  Script("X/top.tws", "Top");
  const std::pair<std::string, std::string> cases[] = {
      {"A/X", "A/X"}, {"X", "X"}, {"", ""}, {"Scripts", ""}, {"../..", ""}, {"gone", ""},
  };
  for (const auto& [stored, selected] : cases) {
    Catalogue catalogue = Open(stored);
    EXPECT_EQ(catalogue.ActiveFolder(), selected) << stored;
  }
  EXPECT_EQ(Descriptions(Open("A/X")), std::vector<std::string>{"Deep"});
  EXPECT_EQ(Descriptions(Open("X")), std::vector<std::string>{"Top"});
}

TEST_F(CatalogueTest, ListingShowsScriptsWithADescriptionAndNamesTheUnreadableOnes) {
  Script("b.tws", "Beta", "#hotkey:  Ctrl+B \r\n#enableschd: y\r\n");
  Script("a.TWS", "Alpha", "#apptype: DOS\r\n");
  Script("c.tws", "Gamma", "#apptype: dos\r\n#hotkey: Alt+G\r\n");
  Script("broken.tws", "Broken", "#runmode: often\r\n");
  Script(".hidden.tws", "Hidden");
  Script("notes.txt", "Not a script");
  Write(root_ + "bare.tws", "print \"no header\"\r\n");
  Folder("folder.tws");
  CountingHotKeys hotkeys;
  Catalogue catalogue(user_, root_);
  catalogue.SetHotKeyTable(&hotkeys);
  catalogue.RebuildFolderTree();
  catalogue.ListFolderScripts("");

  ASSERT_EQ(Descriptions(catalogue), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
  const ScriptItem& beta = catalogue.Items()[1];
  EXPECT_EQ(beta.fileName, "b.tws");
  EXPECT_EQ(beta.fullPath, root_ + "b.tws");
  EXPECT_EQ(beta.hotkey, "Ctrl+B");
  EXPECT_EQ(beta.hotkeyIndex, 0);
  EXPECT_EQ(catalogue.Items()[2].hotkeyIndex, 1);
  EXPECT_EQ(catalogue.Items()[0].hotkeyIndex, -1);
  EXPECT_EQ(hotkeys.added, (std::vector<std::string>{"Ctrl+B", "Alt+G"}));
  EXPECT_EQ(catalogue.Items()[0].kind, ScriptKind::Dos);
  EXPECT_EQ(beta.kind, ScriptKind::Scheduled);
  EXPECT_EQ(catalogue.Items()[2].kind, ScriptKind::Windows);  // "DOS" must be written in capitals
  EXPECT_EQ(user_.messages, std::vector<std::string>{"error: These scripts could not be read and are not listed:\n"
                                                     "broken.tws: ' often' is not a valid integer value"});

  Catalogue withoutTable = Open();
  EXPECT_EQ(withoutTable.Items()[1].hotkeyIndex, -1);
}

TEST_F(CatalogueTest, EachColumnSortsAndTheSelectedPositionMayLieBeyondTheList) {
  Script("b.tws", "Same");
  Script("c.tws", "apple");
  Script("a.tws", "Zebra");
  Catalogue catalogue(user_, root_);
  catalogue.SetSelectedPosition(1);
  catalogue.RebuildFolderTree();
  catalogue.ListFolderScripts("");
  // By description, letter case aside; equal keys keep the file-name order.
  EXPECT_EQ(Descriptions(catalogue), (std::vector<std::string>{"apple", "Same", "Zebra"}));
  EXPECT_EQ(catalogue.SelectedScript()->description, "Same");
  catalogue.SortBy(kSortByFileName);
  EXPECT_EQ(Descriptions(catalogue), (std::vector<std::string>{"Zebra", "Same", "apple"}));
  EXPECT_EQ(catalogue.SelectedScript()->description, "Same");  // the selection follows its script
  catalogue.SortBy(kSortByLocation);
  EXPECT_EQ(Descriptions(catalogue), (std::vector<std::string>{"Zebra", "Same", "apple"}));

  // Many equal keys: a comparison that is no strict ordering would break the sort here.
  for (int i = 0; i < 200; ++i) Script("same" + std::to_string(1000 + i) + ".tws", "dup");
  catalogue.SetSelectedPosition(5000);
  catalogue.ListFolderScripts("");
  catalogue.SortBy(kSortByDescription);
  ASSERT_EQ(catalogue.Items().size(), 203u);
  EXPECT_EQ(catalogue.Items()[1].fileName, "same1000.tws");
  EXPECT_EQ(catalogue.Items()[200].fileName, "same1199.tws");
  EXPECT_EQ(catalogue.SelectedItem(), -1);
}

TEST_F(CatalogueTest, FolderOperationsReachTheSelectedFolderNotOneOfTheSameName) {
  Folder("A/X");
  Folder("X");
  Catalogue catalogue = Open("A/X");
  user_.answers = {"yes"};
  catalogue.DeleteFolder();
  EXPECT_FALSE(fs::exists(root_ + "A/X"));
  EXPECT_TRUE(fs::exists(root_ + "X"));
  EXPECT_EQ(catalogue.ActiveFolder(), "");

  Folder("A/X");
  catalogue.SetActiveFolder("A/X");
  catalogue.RebuildFolderTree();
  user_.answers = {"Y"};
  catalogue.RenameFolder();
  EXPECT_TRUE(fs::is_directory(root_ + "A/Y"));
  EXPECT_TRUE(fs::exists(root_ + "X"));
  EXPECT_EQ(catalogue.ActiveFolder(), "A/Y");
  EXPECT_EQ(user_.messages, (std::vector<std::string>{"question: Remove \"X\", are you sure ?",
                                                      "input: Rename Folder | Rename \"X\" to..."}));
}

TEST_F(CatalogueTest, FolderNamesAndTargetsThatWouldLoseOrHideAFolderAreRefused) {
  Folder("A");
  Folder("B");  // empty: a plain rename would replace it
  Write(root_ + "keep.tws", "#description: keep\r\n");
  struct Case {
    const char* answer;
    const char* message;  // nothing expected when empty
  };
  const Case newFolder[] = {
      {"a/b", "error: Cannot Create Folder!"}, {".", "error: Cannot Create Folder!"},
      {"..", "error: Cannot Create Folder!"},  {".hidden", "error: Cannot Create Folder!"},
      {"A", "error: Cannot Create Folder!"},   {"", ""},
      {"   ", ""},                             {"<cancel>", ""},
  };
  for (const Case& c : newFolder) {
    Catalogue catalogue = Open();
    user_.messages.clear();
    user_.answers = {c.answer};
    catalogue.NewFolder();
    std::vector<std::string> expected{"input: Create Folder | Create Folder from \"" + root_};
    if (*c.message) expected.push_back(c.message);
    EXPECT_EQ(user_.messages, expected) << c.answer;
    EXPECT_EQ(Paths(catalogue), (std::vector<std::string>{"", "A", "B"})) << c.answer;
  }
  for (const char* answer : {"B", "../B", "..", "keep.tws"}) {
    Catalogue catalogue = Open("A");
    user_.messages.clear();
    user_.answers = {answer};
    catalogue.RenameFolder();
    EXPECT_EQ(user_.messages.back(), "error: Cannot Rename Folder!") << answer;
    EXPECT_EQ(catalogue.ActiveFolder(), "A");
  }
  EXPECT_TRUE(fs::is_directory(root_ + "A"));
  EXPECT_TRUE(fs::is_directory(root_ + "B"));
  EXPECT_TRUE(fs::is_regular_file(root_ + "keep.tws"));

  Catalogue catalogue = Open("A");
  user_.answers = {" New "};
  catalogue.NewFolder();
  EXPECT_EQ(catalogue.ActiveFolder(), "New");
  EXPECT_EQ(Paths(catalogue), (std::vector<std::string>{"", "A", "B", "New"}));
}

TEST_F(CatalogueTest, ANonEmptyFolderAndTheRootAreKept) {
  Script("A/job.tws", "Job");
  Catalogue catalogue = Open("A");
  user_.answers = {"yes"};
  catalogue.DeleteFolder();
  EXPECT_EQ(user_.messages.back(), "error: Cannot Remove Folder, folder might not be empty!");
  EXPECT_EQ(Paths(catalogue), (std::vector<std::string>{"", "A"}));
  EXPECT_EQ(catalogue.ActiveFolder(), "A");

  Catalogue atRoot = Open();
  user_.messages.clear();
  user_.answers = {"yes", "Other"};
  atRoot.DeleteFolder();
  atRoot.RenameFolder();
  EXPECT_TRUE(user_.messages.empty());
  EXPECT_TRUE(fs::is_directory(root_));
}

TEST_F(CatalogueTest, MovingAScriptNeverReplacesOne) {
  Folder("A/X");
  Folder("X");
  Script("job.tws", "Root job");
  Script("X/job.tws", "X job");
  Script("other.tws", "Other");
  Catalogue catalogue = Open();
  ASSERT_EQ(Descriptions(catalogue), (std::vector<std::string>{"Other", "Root job"}));
  catalogue.MoveScript(1, "X");
  EXPECT_EQ(user_.messages, std::vector<std::string>{"error: Cannot Move File!"});
  EXPECT_NE(Read(root_ + "job.tws").find("Root job"), std::string::npos);
  EXPECT_NE(Read(root_ + "X/job.tws").find("X job"), std::string::npos);

  catalogue.MoveScript(0, "A/X");
  EXPECT_TRUE(fs::exists(root_ + "A/X/other.tws"));
  EXPECT_FALSE(fs::exists(root_ + "X/other.tws"));
  EXPECT_EQ(Descriptions(catalogue), std::vector<std::string>{"Root job"});
  catalogue.MoveScript(0, "");  // onto its own folder: nothing happens
  EXPECT_EQ(user_.messages.size(), 1u);
}

TEST_F(CatalogueTest, DeletingAScriptAsksFirst) {
  Script("a.tws", "A");
  Script("b.tws", "B");
  Catalogue catalogue = Open();
  catalogue.SetSelectedItem(1);
  user_.answers = {"no"};
  catalogue.DeleteScript();
  EXPECT_TRUE(fs::exists(root_ + "b.tws"));
  catalogue.SetSelectedItem(1);
  user_.answers = {"yes"};
  catalogue.DeleteScript();
  EXPECT_FALSE(fs::exists(root_ + "b.tws"));
  EXPECT_EQ(Descriptions(catalogue), std::vector<std::string>{"A"});
  EXPECT_EQ(user_.messages, (std::vector<std::string>{"question: Delete this Script, Are You Sure?",
                                                      "question: Delete this Script, Are You Sure?"}));
}

TEST_F(CatalogueTest, AMissingScriptPathIsReplacedByTheDefault) {
  const std::string fallback = At("data/Scripts/");
  Catalogue catalogue(user_, fallback);
  catalogue.RebuildFolderTree();  // the default is made without a word
  EXPECT_TRUE(user_.messages.empty());
  EXPECT_TRUE(fs::is_directory(fallback));

  catalogue.SetScriptPath(At("moved away"));
  catalogue.SetActiveFolder("A");
  catalogue.RebuildFolderTree();
  EXPECT_EQ(user_.messages, std::vector<std::string>{"warning: The specified Script Folder is not found, check the "
                                                     "settings\r\nSetting Script Folder to default."});
  EXPECT_EQ(catalogue.ScriptPath(), fallback);
  EXPECT_EQ(catalogue.ActiveFolder(), "");
  ASSERT_TRUE(catalogue.Tree());
  EXPECT_EQ(catalogue.Tree()->text, "Scripts");
}

}  // namespace
}  // namespace tw
