// The window the tray makes the target, and the tips file: its records, its authors' changes, where it is read.

#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/tips_file.h"
#include "catalogue/tray_target.h"
#include "interpreter/scratch_folder.h"
#include "port/fake/fake_desktop.h"
#include "support/scoped_environment.h"

namespace tw {
namespace {

TEST(TrayTarget, TakesTheWindowInFrontWhenItsTitleChangedButNeverOursOrTheTrays) {
  port::fake::FakeDesktop desktop;
  port::fake::FakeWindows& windows = desktop.fakeWindows();
  const port::WindowId editor = windows.add({.title = "notes - Editor"});
  const port::WindowId ours = windows.add({.title = "Tarnwick", .processId = 77});
  const port::WindowId tray = windows.add({.title = "tray", .frame = {1200, 0, 80, 24}});
  const port::WindowId untitled = windows.add({.title = ""});
  const port::WindowId longer = windows.add({.title = std::string(200, 'x') + "A"});
  const port::WindowId longest = windows.add({.title = std::string(200, 'x') + "B"});
  const port::Point icon{1210, 10};

  TrayTarget target;
  struct Step {
    port::WindowId active;
    std::optional<port::WindowId> expected;
  };
  const Step steps[] = {
      {editor, editor},
      {ours, std::nullopt},      // our own window
      {tray, std::nullopt},      // the click brought the tray's window to the front
      {editor, std::nullopt},    // the same title as last time
      {untitled, std::nullopt},  // nothing to go by
      {longer, longer},
      {longest, std::nullopt},   // the same in its first 200 characters
      {editor, editor},
  };
  for (const Step& step : steps) {
    windows.setActive(step.active);
    EXPECT_EQ(target.Look(windows, 77, icon), step.expected) << windows.title(step.active);
  }
  windows.setActive(port::kNoWindow);
  EXPECT_EQ(target.Look(windows, 77, std::nullopt), std::nullopt);
}

class TipsTest : public test::ScratchFolderTest {};

TEST_F(TipsTest, RecordsAreTheSectionsBesideTheHeaderAndAuthorsChangesKeepTheRest) {
  Write("Tips.txt",
        "; shipped tips\n[Header]\ntipno=\nnotes=\nauthor=\n\n[Tip 1]\ntipno=Tip 1\nnotes=Ctrl+R runs.\\nSo does Enter.\n"
        "author=me\n[Second]\ntipno=Tip 2\nnotes=Folders\n");
  TipsFile tips = TipsFile::Load(At("Tips.txt"));
  ASSERT_EQ(tips.Count(), 2);
  EXPECT_EQ(tips.At(0), (Tip{"Tip 1", "Ctrl+R runs.\nSo does Enter."}));
  EXPECT_EQ(tips.At(1), (Tip{"Tip 2", "Folders"}));

  tips.Change(1, {"Tip 2", "Folders\r\nhold scripts"});
  tips.Add({"Tip 3", "New"});
  tips.Remove(0);
  tips.Save(At("Tips.txt"));
  const std::string text = Read("Tips.txt");
  EXPECT_EQ(text.rfind("; shipped tips\n[Header]\n", 0), 0u) << text;
  EXPECT_NE(text.find("notes=Folders\\nhold scripts\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("author=me"), std::string::npos) << "went with its record";
  const TipsFile again = TipsFile::Load(At("Tips.txt"));
  ASSERT_EQ(again.Count(), 2);
  EXPECT_EQ(again.At(0), (Tip{"Tip 2", "Folders\nhold scripts"}));
  EXPECT_EQ(again.At(1), (Tip{"Tip 3", "New"}));
}

TEST_F(TipsTest, AMissingOrEmptyFileHasNoTipsAndTheFirstAddedOneMakesAFile) {
  EXPECT_EQ(TipsFile::Load(At("missing.txt")).Count(), 0);
  Write("empty.txt", "");
  EXPECT_EQ(TipsFile::Load(At("empty.txt")).Count(), 0);
  Write("header-only.txt", "[Header]\ntipno=\nnotes=\n");
  TipsFile tips = TipsFile::Load(At("header-only.txt"));
  EXPECT_EQ(tips.Count(), 0);
  TipsFile fresh = TipsFile::Load(At("new/Tips.txt"));
  fresh.Add({"First", "one"});
  fresh.Save(At("new/Tips.txt"));
  EXPECT_EQ(Read(At("new/Tips.txt")), "[Header]\ntipno=\nnotes=\n[Tip1]\ntipno=First\nnotes=one\n");
}

TEST_F(TipsTest, TheUsersFileIsReadFirstThenTheOneTheSystemShips) {
  std::filesystem::create_directories(At("share/tarnwick"));
  Write(At("share/tarnwick/Tips.txt"), "[Header]\n");
  test::ScopedEnvironment dirs("XDG_DATA_DIRS", "relative/ignored:" + At("none") + ":" + At("share"));
  EXPECT_EQ(TipsFileToRead(At("mine/Tips.txt")), At("share/tarnwick/Tips.txt"));
  std::filesystem::create_directories(At("mine"));
  Write(At("mine/Tips.txt"), "[Header]\n");
  EXPECT_EQ(TipsFileToRead(At("mine/Tips.txt")), At("mine/Tips.txt"));
  test::ScopedEnvironment none("XDG_DATA_DIRS", At("none"));
  EXPECT_EQ(TipsFileToRead(At("other/Tips.txt")), At("other/Tips.txt"));
}

}  // namespace
}  // namespace tw
