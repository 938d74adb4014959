// Opening a definition in the designer and saving it without changes keeps what it describes.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "designer_test_support.h"
#include "dialogs/definition_corpus.h"
#include "dialogs/definition_text.h"
#include "files/file_text.h"

namespace tw {
namespace {

using test::DesignerFixture;
using test::DialogFixture;
using test::DialogWith;

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  for (const std::string_view line : SplitLines(text)) lines.emplace_back(line);
  return lines;
}

std::string FontText(const DialogFont& font) {
  return "\"" + font.Name + "\" " + std::to_string(font.Size) + " " + font.StyleLetters();
}

// Everything a script's dialog shows and answers after reading the definition, controls by name; timeouts
// as the format writes them, in hundredths of a second.
std::string Description(const std::vector<std::string>& definition) {
  DialogFixture f;
  std::string text;
  for (const std::string& line : definition) text += line + "\r\n";
  if (!f.Read(text)) return "unreadable: " + (f.host.ErrorBoxes.empty() ? "" : f.host.ErrorBoxes[0]);
  const DialogWindow& w = f.dialog.Window;
  const port::Size client = f.dialog.ClientSize();
  std::ostringstream out;
  out << "window " << w.Frame.left << "," << w.Frame.top << " " << w.Frame.width << "x" << w.Frame.height << " client "
      << client.width << "x" << client.height << " mode " << w.PositionMode << " font " << FontText(w.Font)
      << " caption [" << w.Caption << "] colour " << w.Colour << " timeout " << TimeoutText(w.TimeoutMs) << "\n";
  std::vector<const DialogControl*> controls;
  for (const DialogControl& control : f.dialog.Controls) controls.push_back(&control);
  std::sort(controls.begin(), controls.end(), [](auto* a, auto* b) { return a->Name < b->Name; });
  for (const DialogControl* c : controls) {
    out << static_cast<char>(c->Kind) << " " << c->Name << " " << c->Bounds.left << "," << c->Bounds.top << " "
        << c->Bounds.width << "x" << c->Bounds.height << " font " << FontText(c->EffectiveFont(w.Font)) << " focus "
        << c->Focus << " text [" << c->Text << "] items [";
    for (const std::string& item : c->Items) out << item << "|";
    out << "] selected " << c->Selected << " checked " << c->Checked << " password " << c->Password << " max "
        << c->MaxLength << " align " << c->Alignment << " wrap " << c->WordWrap << " shape "
        << static_cast<int>(c->Shape) << " pen " << c->PenWidth << "/" << c->PenColour << " image " << c->ImageIndex
        << "/" << c->Stretch << " [" << c->FileName << "]\n";
  }
  std::vector<const DialogControl*> tabOrder;
  for (const DialogControl& control : f.dialog.Controls)
    if (f.dialog.Focusable(control)) tabOrder.push_back(&control);
  std::stable_sort(tabOrder.begin(), tabOrder.end(), [](auto* a, auto* b) { return a->TabOrder < b->TabOrder; });
  out << "tab order";
  for (const DialogControl* control : tabOrder) out << " " << control->Name;
  return out.str();
}

TEST(DesignerRoundTrip, AnEmptyBlockSavesTheNewDialog) {
  DesignerFixture f;
  ASSERT_TRUE(f.Open({}));
  EXPECT_EQ(f.SelectedNames(), std::vector<std::string>{"B201"});
  EXPECT_EQ(f.Saved(), (std::vector<std::string>{
                           "WINDOW,349,287,326,193,1,\"Tahoma\",9,N,\"Dialog\"",  // centred on 1024 x 768
                           "WINDOW1,0.00,clBtnFace",
                           "I3,8,8,32,32,0,\"\",0,0,1,0,0,0,\"\"",
                           "L4,48,16,260,100,0,\"Tahoma\",9,N,0,0,0,\"Hello, World!\"",
                           "B200,148,132,78,26,0,\"Tahoma\",9,N,0,0,0,\"&OK\"",
                           "B201,232,132,78,26,0,\"Tahoma\",9,N,0,0,0,\"&Cancel\"",
                       }));
  EXPECT_FALSE(f.dialog.Window.DesignMode);
}

TEST(DesignerRoundTrip, LinesOfEveryFieldComeBackUnchanged) {
  const std::vector<std::string> controls{
      "L1,10,10,100,20,0,\"Tahoma\",9,N,2,1,0,\"Centred\"",
      "E1,10,40,100,21,1,\"Tahoma\",9,N,0,1,12,\"secret\"",
      "M1,10,70,100,60,0,\"Arial\",10,B,2,0,300,\"right&nl&aligned\"",
      "C1,10,140,100,17,0,\"Tahoma\",9,N,1,0,0,\"Say &qt&yes&qt&\"",
      "O1,120,10,100,21,0,\"Tahoma\",9,N,0,0,0,\"&qt&a&qt&;b;\"",
  };
  DesignerFixture f;
  ASSERT_TRUE(f.Open(DialogWith(controls)));
  const std::vector<std::string> saved = f.Saved();
  ASSERT_EQ(saved.size(), 2 + controls.size());
  for (std::size_t i = 0; i < controls.size(); ++i) EXPECT_EQ(saved[2 + i], controls[i]);
}

TEST(DesignerRoundTrip, EveryDefinitionOpenedAndSavedReadsBackTheSame) {
  std::vector<std::string> corpus(std::begin(test::kHandWritten), std::end(test::kHandWritten));
  // Double quotes in every quoted text: caption, items, file name, captions of controls.
  corpus.push_back(
      "WINDOW,10,10,300,200,0,\"Tahoma\",9,N,\"Say &qt&hi&qt&\"\nWINDOW1,2.5,clWindow\n"
      "S1,0,0,100,80,0,\"\",0,N,0,0,0,\"&qt&one&qt&;two\"\nI1,0,90,32,32,0,\"\",0,0,3,1,0,0,\"/no/&qt&x&qt&.png\"\n"
      "B1,0,130,60,20,0,\"\",0,N,0,0,0,\"&qt&\"\n");
  for (std::size_t i = 0; i < corpus.size(); ++i) {
    const std::vector<std::string> original = Lines(corpus[i]);
    DesignerFixture f;
    ASSERT_TRUE(f.Open(original)) << i;
    // -1 and -2 in a position field place a control relative to the one before, so a control that stands
    // there is written at 0.
    if (std::any_of(f.dialog.Controls.begin(), f.dialog.Controls.end(), [](const DialogControl& c) {
          return c.Bounds.left == -1 || c.Bounds.left == -2 || c.Bounds.top == -1 || c.Bounds.top == -2;
        }))
      continue;
    const std::vector<std::string> saved = f.Saved();
    EXPECT_EQ(Description(saved), Description(original)) << "definition " << i << "\n" << corpus[i];
  }
}

TEST(DesignerRoundTrip, ADefinitionErrorLeavesTheDefinitionAsItWas) {
  DesignerFixture f;
  const std::vector<std::string> broken =
      DialogWith({"B1,0,0,10,10,0,\"\",0,N,0,0,0,\"a\"", "B1,0,0,1,1,0,\"\",0,N,0,0,0,\"b\""});
  EXPECT_FALSE(f.Open(broken));
  EXPECT_EQ(f.dialog.Definition, broken);
  EXPECT_TRUE(f.dialog.Controls.empty());
  EXPECT_EQ(f.host.ErrorBoxes.size(), 1u);
}

}  // namespace
}  // namespace tw
