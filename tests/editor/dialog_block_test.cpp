// The Dialog Editor's handling of a script block without the designer window: which lines form the block, what
// definition the designer opens on, and the lines that take the block's place after saving (a designer that
// answers for the user stands in for the window).

#include <gtest/gtest.h>

#include "dialogs/designer/dialog_designer.h"
#include "dialogs/dialog_test_support.h"
#include "editor/dialog_block.h"
#include "editor/dialog_block_definition.h"
#include "editor/dialog_editor.h"
#include "editor/recording_view.h"
#include "files/file_text.h"

namespace tw::editor {
namespace {

std::optional<DialogBlock> Find(const std::string& text, int caretLine) {
  return FindDialogBlock(SplitLines(text), caretLine);
}

TEST(DialogBlock, FindsTheBlockAsARunEndsIt) {
  struct Case {
    const char* what;
    std::string text;
    int caret;
    int head, tail;  // -1: no block
    std::string indent, headText, tailText;
    std::vector<std::string> body;
  };
  const Case cases[] = {
      {"indented, end line with more on it",
       "x = 1\n  dialog \"T\"\n  [Ea: ]\n  EndDialog 'done\nprint x\n",
       1,
       1,
       3,
       "  ",
       "dialog \"T\"",
       "EndDialog 'done",
       {"  [Ea: ]"}},
      {"a label naming the end word",
       "DIALOG\n[L:type enddialog to leave]\nenddialog\n",
       0,
       0,
       2,
       "",
       "DIALOG",
       "enddialog",
       {"[L:type enddialog to leave]"}},
      {"a string block ends at endtext too",
       "\tstring s\nWINDOW,1\nendtext\nendstring\n",
       0,
       0,
       2,
       "\t",
       "string s",
       "endtext",
       {"WINDOW,1"}},
      {"no body", "dialog\nenddialog", 0, 0, 1, "", "dialog", "enddialog", {}},
      {"a variable that begins with the word", "strings = 2\nendstring\n", 0, -1, -1, "", "", "", {}},
      {"a function that begins with the word", "dialogvar(\"a\")\nenddialog\n", 0, -1, -1, "", "", "", {}},
      {"caret inside the body", "dialog\n[Ea: ]\nenddialog\n", 1, -1, -1, "", "", "", {}},
      {"no end line", "dialog\n[Ea: ]\n", 0, -1, -1, "", "", "", {}},
      {"text block", "text t\na\nendtext\n", 0, -1, -1, "", "", "", {}},
      {"caret beyond the text", "dialog\nenddialog\n", 5, -1, -1, "", "", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto block = Find(c.text, c.caret);
    if (c.head < 0) {
      EXPECT_FALSE(block);
      continue;
    }
    ASSERT_TRUE(block);
    EXPECT_EQ(block->HeadLine, c.head);
    EXPECT_EQ(block->TailLine, c.tail);
    EXPECT_EQ(block->LineBase(), c.head + 1);
    EXPECT_EQ(block->Indent, c.indent);
    EXPECT_EQ(block->Head, c.headText);
    EXPECT_EQ(block->Tail, c.tailText);
    EXPECT_EQ(block->Body, c.body);
  }
}

TEST(DialogBlock, ReassemblesHeadDefinitionAndTailBehindTheIndent) {
  const auto block = Find("  dialog \"T\"\n[Bok:^OK]\n      enddialog   \n", 0);
  ASSERT_TRUE(block);
  EXPECT_EQ(block->Reassembled({"WINDOW,1", "E1,2"}),
            (std::vector<std::string>{"  dialog \"T\"", "  WINDOW,1", "  E1,2", "  enddialog"}));
}

struct DefinitionFixture {
  std::optional<DesignerDefinition> For(const std::string& text) {
    const auto block = Find(text, 0);
    EXPECT_TRUE(block);
    return DefinitionForDesigner(*block, dialogs.host);
  }
  test::DialogFixture dialogs;
};

TEST(DialogBlockDefinition, EmptyAndEnhancedBlocksAreNotConverted) {
  DefinitionFixture f;
  for (const char* text : {"dialog\nenddialog\n", "dialog\n   \n\nenddialog\n"}) {
    const auto definition = f.For(text);
    ASSERT_TRUE(definition);
    EXPECT_EQ(definition->Lines, tw::NewDialogDefinition());
    EXPECT_FALSE(definition->Converted);
  }
  const auto enhanced = f.For("dialog\n  window,0,0,100,100,0,\"\",9,N,\"T\"\n  E1,0,0,9,9\nenddialog\n");
  ASSERT_TRUE(enhanced);
  EXPECT_EQ(enhanced->Lines, (std::vector<std::string>{"  window,0,0,100,100,0,\"\",9,N,\"T\"", "  E1,0,0,9,9"}));
  EXPECT_FALSE(enhanced->Converted);
  EXPECT_TRUE(f.dialogs.host.ErrorBoxes.empty());
}

TEST(DialogBlockDefinition, EveryTextLayoutIsConvertedAndWhatChangesIsNamed) {
  struct Case {
    const char* what;
    std::string body;
    std::vector<std::string> names;  // read back from the converted lines
    std::vector<std::string> warnings;
  };
  const Case cases[] = {
      {"buttons", "[L:Name:] [Euser:   ]\n[Bok:^OK,Bcancel:Cancel]\n", {"EUSER", "BOK", "BCANCEL"}, {}},
      {"no buttons", "[Euser:   ]\n[Cagree:I agree]\n", {"EUSER", "CAGREE"}, {}},
      {"a password box and a button not named by its kind",
       "[Ppass:   ]\n[Bok:OK,cancel:Cancel]\n",
       {"EPPASS", "BOK", "BCANCEL"},
       {"The control \"Ppass\" is renamed \"EPPASS\".", "The control \"cancel\" is renamed \"BCANCEL\"."}},
      {"a countdown", "[T1:5]\n[Bok:OK]\n", {"BOK"}, {"The countdown \"T1\" becomes the dialog's timeout."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DefinitionFixture f;
    const auto definition = f.For("dialog\n" + c.body + "enddialog\n");
    ASSERT_TRUE(definition);
    EXPECT_TRUE(definition->Converted);
    EXPECT_EQ(definition->Warnings, c.warnings);
    std::string text;
    for (const std::string& line : definition->Lines) text += line + "\n";
    ASSERT_TRUE(f.dialogs.Read(text, true)) << text;
    for (const std::string& name : c.names) EXPECT_TRUE(f.dialogs.dialog.FindControl(name)) << name << "\n" << text;
  }
}

TEST(DialogBlockDefinition, ALayoutThatCannotBeBuiltOpensNothing) {
  DefinitionFixture f;
  EXPECT_FALSE(f.For("  dialog\n[Ea: ] [Ea: ]\n  enddialog\n"));
  ASSERT_EQ(f.dialogs.host.ErrorBoxes.size(), 1u);
}

// ---- The action on a page ------------------------------------------------------------------------------

class FakeDesigner : public DialogDesigner {
 public:
  bool confirm = true;
  std::optional<std::vector<std::string>> saves;  // what "saving" gives; nothing: left without saving
  std::vector<std::string> log;

  bool ConfirmConversion(const std::string& question) override {
    log.push_back("confirm: " + question);
    return confirm;
  }
  std::optional<std::vector<std::string>> Design(const std::vector<std::string>& definition, int lineBase) override {
    log.push_back("design from line " + std::to_string(lineBase) + ": " + definition.front().substr(0, 6));
    return saves;
  }
};

const std::vector<std::string> kSaved = {"WINDOW,0,0,100,100,0,\"\",9,N,\"T\"", "B1,0,0,9,9,0,\"\",0,N,0,0,0,\"a\""};

TEST(DialogEditor, ASavedDefinitionTakesTheBlocksPlaceAndAnythingElseChangesNothing) {
  const std::string script =
      "x = 1\r\n  dialog \"T\"\r\n  [L:say enddialog]\r\n  [Bok:OK]\r\n  enddialog\r\nprint x   \r\n";
  const std::string replaced =
      "x = 1\r\n  dialog \"T\"\r\n  WINDOW,0,0,100,100,0,\"\",9,N,\"T\"\r\n  B1,0,0,9,9,0,\"\",0,N,0,0,0,\"a\"\r\n"
      "  enddialog\r\nprint x   \r\n";
  struct Case {
    const char* what;
    int caretLine;
    std::optional<std::vector<std::string>> saves;
    std::string expected;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {"saved", 1, kSaved, replaced, {"design from line 2: WINDOW"}},
      {"left without saving", 1, std::nullopt, script, {"design from line 2: WINDOW"}},
      {"nothing written", 1, std::vector<std::string>{}, script, {"design from line 2: WINDOW"}},
      {"the part written before a failure",
       1,
       std::vector<std::string>{kSaved[1]},
       script,
       {"design from line 2: WINDOW"}},
      {"caret in the body", 2, kSaved, script, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::DialogFixture dialogs;
    test::RecordingView view;
    EditorPage page;
    page.id = 1;
    view.PageOpened(page);
    view.SetText(page, script);
    view.SetCaret(page, c.caretLine, 5);
    FakeDesigner designer;
    designer.saves = c.saves;
    EXPECT_EQ(EditDialogBlock(view, page, dialogs.host, designer), c.expected != script);
    EXPECT_EQ(view.Text(page), c.expected);
    EXPECT_EQ(designer.log, c.log);
    EXPECT_EQ(view.CaretLine(page), c.caretLine);
    EXPECT_EQ(view.CaretColumn(page), 0);
  }
}

TEST(DialogEditor, AConversionThatRenamesControlsAsksFirst) {
  for (bool agree : {false, true}) {
    test::DialogFixture dialogs;
    test::RecordingView view;
    EditorPage page;
    page.id = 1;
    view.PageOpened(page);
    const std::string script = "string s\n[Ppass: ]\n[Bok:OK]\nendstring\n";
    view.SetText(page, script);
    FakeDesigner designer;
    designer.confirm = agree;
    designer.saves = kSaved;
    EXPECT_EQ(EditDialogBlock(view, page, dialogs.host, designer), agree);
    ASSERT_FALSE(designer.log.empty());
    EXPECT_NE(designer.log[0].find("\"Ppass\" is renamed \"EPPASS\""), std::string::npos) << designer.log[0];
    EXPECT_EQ(designer.log.size(), agree ? 2u : 1u);
    EXPECT_EQ(view.Text(page) == script, !agree);
  }
}

}  // namespace
}  // namespace tw::editor
