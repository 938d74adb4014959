// The dialog block and the dialog functions against a host whose scripted user acts on each dialog.

#include <gtest/gtest.h>

#include "commands/library_support.h"
#include "dialogs/dialog_metrics.h"

namespace tw {
namespace {

using port::fake::FakeDesktop;
using test::ErrorAt;
using test::RecordingHost;
using test::RunOnFakeDesktop;

// What a dialog held when the host showed it.
struct Seen {
  std::string caption;
  std::string font;
  int widthOverride = 0;
  bool layout = false;
  std::vector<std::string> names;
  std::vector<std::string> values;
};

class DialogCommands : public ::testing::Test {
 protected:
  DialogCommands() {
    host.OnDialog = [this](TEnhanceFormDialog& dialog) {
      Seen seen{dialog.Window.Caption, dialog.Window.Font.Name, dialog.WidthOverride,
                dialog.Window.Font.Name == "Courier New" && dialog.Window.PositionMode == 0, {}, {}};
      for (const DialogControl& control : dialog.Controls) {
        seen.names.push_back(control.Name);
        seen.values.push_back(dialog.GetControlValue(control.Name));
      }
      shown.push_back(seen);
      if (user) user(dialog);
    };
  }
  test::LibraryRun Run(const std::string& script) { return RunOnFakeDesktop(script, desktop, host); }

  // The scripted user: sets a control's text and presses a button by name.
  static void Answer(TEnhanceFormDialog& dialog, const std::string& edit, const std::string& text,
                     const std::string& button) {
    if (auto index = dialog.FindControl(edit)) dialog.Controls[*index].Text = text;
    if (auto index = dialog.FindControl(button)) dialog.PressButton(*index);
  }

  RecordingHost host;
  FakeDesktop desktop;
  std::vector<Seen> shown;
  std::function<void(TEnhanceFormDialog&)> user;
};

TEST_F(DialogCommands, ADialogBlockShowsItsBodyAndTheScriptReadsWhatTheUserLeft) {
  user = [](TEnhanceFormDialog& dialog) { Answer(dialog, "Euser", "Grace", "Bok"); };
  const auto run = Run(
      "dialog \"\", \"Arial\", 500\n"
      "  Name: [Euser:^ ]\n"
      "  [Bok:^OK,Bcancel:Cancel]\n"
      "enddialog\n"
      "print dialogvar(\"EUSER\") + \"|\" + getdlgvar(\"bok\") + \"|\" + dialogvar(\"bcancel\")\n"
      "print dialogvar(\"nothing\", \"fallback\") + \"|\" + dialogvar(\"nothing\")\n");
  EXPECT_TRUE(run.Errors.empty()) << run.Errors.front();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Morvane Script");
  EXPECT_EQ(shown[0].widthOverride, 500);
  EXPECT_TRUE(shown[0].layout);  // shown as a text layout, in its own font whatever the block named
  EXPECT_EQ(run.Output, "Grace|1|0\nfallback|\n");
}

TEST_F(DialogCommands, EnhancedDialogsTakeTheScriptsVariablesButButtonsStartAtZero) {
  // The second dialog closes by its close box: its OK button must not report what the script's variable of the
  // same name holds, and a value a check box cannot take leaves the later controls their values.
  int shows = 0;
  user = [&shows](TEnhanceFormDialog& dialog) {
    if (++shows == 1) Answer(dialog, "", "", "BOK");
  };
  const std::string definition =
      "WINDOW,0,0,300,200,0,\"\",9,N,\"Values\"\n"
      "C1,0,0,90,17,0,\"\",0,N,1,0,0,\"agree\"\n"
      "EUSER,0,20,90,20,0,\"\",0,N,0,0,0,\"\"\n"
      "SLIST,0,40,90,50,0,\"\",0,N,0,0,0,\"a;b\"\n"
      "BOK,0,100,50,20,0,\"\",0,N,0,0,0,\"OK\"\n";
  std::string script = "string d\n" + definition + "endstring\n";
  script +=
      "x = dodialog(d)\n"
      "bok = dialogvar(\"bok\")\n"
      "c1 = \"maybe\"\n"
      "euser = \"abc\"\n"
      "z = setdlgvar(\"slist\", \"x\")\n"
      "y = dodialog(d)\n"
      "print x; \"|\"; bok; \"|\"; dialogvar(\"bok\"); \"|\"; dialogvar(\"c1\"); \"|\"; dialogvar(\"euser\"); \"|\"; "
      "dialogvar(\"slist\"); \"|\"; y; \"|\"; z\n";
  const auto run = Run(script);
  EXPECT_TRUE(run.Errors.empty()) << run.Errors.front();
  EXPECT_EQ(run.Output, "1|1|0|1|abc|x|1|0\n");
}

TEST_F(DialogCommands, TextLayoutsIgnoreTheScriptsVariablesAndASecondDialogFreesTheFirstsValues) {
  user = [](TEnhanceFormDialog& dialog) { Answer(dialog, "", "", "Bok"); };
  const auto run = Run(
      "euser = \"from the script\"\n"
      "dialog\n[Euser:typed] [Bok:OK]\nenddialog\n"
      "first = dialogvar(\"euser\")\n"
      "dialog\n[Bok:OK]\nenddialog\n"
      "print first + \"|\" + dialogvar(\"euser\", \"gone\")\n");
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(run.Output, "typed|gone\n");
}

TEST_F(DialogCommands, OnlyAFirstLineBeginningWithWindowInAnyCaseMakesAnEnhancedDefinition) {
  user = [](TEnhanceFormDialog& dialog) { Answer(dialog, "", "", "Bok"); };
  const std::string enhanced =
      "window,0,0,300,200,0,\"\",9,N,\"Lower case\"\n"
      "BOK,0,100,50,20,0,\"\",0,N,0,0,0,\"OK\"\n";
  const auto run = Run("string plain\n" + enhanced + "endstring\n" +            //
                       "string blank\n\n" + enhanced + "endstring\n" +         // a blank line first
                       "string remark\n'a comment\n" + enhanced + "endstring\n" +  // a comment first
                       "x = dodialog(plain)\nx = dodialog(blank)\nx = dodialog(remark)\n");
  EXPECT_TRUE(run.Errors.empty()) << run.Errors.front();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_FALSE(shown[0].layout);
  EXPECT_EQ(shown[0].caption, "Lower case");
  EXPECT_TRUE(shown[1].layout);
  EXPECT_TRUE(shown[2].layout);
}

TEST_F(DialogCommands, ABrokenDefinitionEndsTheRunAfterItsErrorBoxAndAnEmptyOneSilently) {
  bool failed = false;
  TTarnwickBasic library(host, desktop);
  VariableTable globals;
  library.SetGlobals(&globals);
  library.OnDialogFailure = [&failed] { failed = true; };
  library.SetScriptText("print 1\ndialog\nwindow,0,0,9,9,0,\"\",9,N,\"T\"\nB-1,0,0,9,9\nenddialog\nprint 2", "test.tws");
  library.Run(0);
  EXPECT_TRUE(failed);
  EXPECT_EQ(host.Output(), "1\n");
  EXPECT_TRUE(host.ScriptErrors.empty());
  EXPECT_EQ(host.ErrorBoxes, (std::vector<std::string>{"Dialog Script Error: \"\"B-1\" is not a valid control name\" on Line: 2"}));

  failed = false;
  host.Prints.clear();
  library.SetScriptText("print 1\ndialog\nenddialog\nprint 2", "test.tws");
  library.Run(0);
  EXPECT_FALSE(failed);
  EXPECT_EQ(host.Output(), "1\n");
  EXPECT_EQ(host.DialogsShown, 0);
}

TEST_F(DialogCommands, CheckingAScriptShowsNoDialog) {
  RecordingHost checking;
  const auto run = RunOnFakeDesktop("dialog\n[Ex:1]\nenddialog\nx = dodialog(\"[Ey:2]\")\nprint dialogvar(\"ex\")",
                                    desktop, checking, true);
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(checking.DialogsShown, 0);
}

TEST_F(DialogCommands, SubsHaveDialogsOfTheirOwn) {
  user = [](TEnhanceFormDialog& dialog) { Answer(dialog, "Ename", "inner", ""); };
  const auto run = Run(
      "ask()\n"
      "print \"[\" + dialogvar(\"ename\") + \"]\"\n"
      "end\n"
      "sub ask()\n"
      "x = dodialog(\"[Ename:x]\")\n"
      "print dialogvar(\"ename\")\n"
      "endsub\n");
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(run.Output, "inner\n[]\n");
}

}  // namespace
}  // namespace tw
