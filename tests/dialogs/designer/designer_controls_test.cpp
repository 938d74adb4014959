// Adding, duplicating and deleting controls on the design surface, and rearranging the tab order.

#include <gtest/gtest.h>

#include "designer_test_support.h"
#include "dialogs/designer/tab_order_list.h"

namespace tw {
namespace {

using test::DesignerFixture;
using test::DialogWith;

TEST(DesignerControls, AddGivesEachKindItsTextAnAutomaticNameItsDefaultSizeAndTheDialogFont) {
  struct Case {
    char letter;
    ControlKind kind;
    std::string text;  // lists: their one item
  } cases[] = {
      {'B', ControlKind::Button, "Button"},
      {'C', ControlKind::CheckBox, "CheckBox"},
      {'R', ControlKind::Radio, "RadioButton"},
      {'O', ControlKind::ComboBox, "ComboBox"},
      {'L', ControlKind::Label, "Label"},
      {'M', ControlKind::Memo, "Memo"},
      {'E', ControlKind::Edit, "EditBox"},
      {'S', ControlKind::ListBox, "ListBox"},
      {'I', ControlKind::Image, ""},
      {'H', ControlKind::Shape, ""},
  };
  for (const Case& c : cases) {
    DesignerFixture f;
    ASSERT_TRUE(f.Open({}));  // the new dialog: four controls
    const auto added = f.designer.Add(c.letter, {20, 30});
    ASSERT_TRUE(added.has_value()) << c.letter;
    const DialogControl& control = f.dialog.Controls[*added];
    EXPECT_EQ(control.Kind, c.kind);
    EXPECT_EQ(control.Name, std::string(1, c.letter) + "5");
    const port::Size size = f.metrics.DefaultSize(c.kind, f.dialog.Window.Font);
    EXPECT_EQ(control.Bounds, (port::Rect{20, 30, size.width, size.height})) << c.letter;
    EXPECT_FALSE(control.Font.has_value()) << c.letter;
    if (c.kind == ControlKind::ComboBox || c.kind == ControlKind::ListBox)
      EXPECT_EQ(control.Items, std::vector<std::string>{c.text});
    else
      EXPECT_EQ(control.Text, c.text) << c.letter;
    EXPECT_EQ(f.SelectedNames(), std::vector<std::string>{control.Name});
  }

  DesignerFixture f;
  ASSERT_TRUE(f.Open({}));
  EXPECT_FALSE(f.designer.Add('X', {0, 0}).has_value());
  EXPECT_EQ(f.dialog.Controls.size(), 4u);
  EXPECT_TRUE(f.host.ErrorBoxes.empty());
}

TEST(DesignerControls, DuplicatingAnEditBoxCopiesTextAndSizeButNotItsFont) {
  DesignerFixture f;
  ASSERT_TRUE(f.Open(
      DialogWith({"E1,20,20,100,21,1,\"Courier New\",10,B,0,1,12,\"abc\"", "E2,20,60,100,21,0,\"\",0,N,0,0,0,\"\""})));
  const auto copy = f.designer.Duplicate(f.Index("E1"));
  ASSERT_TRUE(copy.has_value());
  const DialogControl& control = f.dialog.Controls[*copy];
  EXPECT_EQ(control.Name, "E3");  // E1 and E2 are taken
  EXPECT_EQ(control.Bounds, (port::Rect{24, 24, 100, 21}));
  EXPECT_EQ(control.Text, "abc");
  EXPECT_FALSE(control.Font.has_value());
  EXPECT_FALSE(control.Password);
  EXPECT_EQ(f.SelectedNames(), std::vector<std::string>{"E3"});
}

TEST(DesignerControls, DuplicatesCopyWhatTheirKindShows) {
  DesignerFixture f;
  ASSERT_TRUE(f.Open(DialogWith({
      "L1,10,10,80,20,0,\"Arial\",12,I,2,1,0,\"label\"",
      "C1,10,40,80,20,0,\"Arial\",12,N,1,0,0,\"check\"",
      "S1,10,70,80,50,0,\"Arial\",12,N,0,0,0,\"a;b\"",
      "H1,100,10,50,50,0,\"\",5,3,clRed,clBlue,0,\"\"",
      "I1,100,70,32,32,0,\"\",0,0,4,1,0,0,\"/nowhere.png\"",
  })));
  f.designer.Mouse().SetGrid(8);
  const DialogFont arial{"Arial", 12, false, true};
  const DialogControl label = f.dialog.Controls[*f.designer.Duplicate(f.Index("L1"))];
  EXPECT_EQ(label.Text, "label");
  EXPECT_EQ(label.Font, arial);
  EXPECT_EQ(label.Alignment, 0);
  EXPECT_EQ(label.Bounds, (port::Rect{18, 18, 80, 20}));
  const DialogControl check = f.dialog.Controls[*f.designer.Duplicate(f.Index("C1"))];
  EXPECT_EQ(check.Text, "check");
  EXPECT_FALSE(check.Checked);
  const DialogControl list = f.dialog.Controls[*f.designer.Duplicate(f.Index("S1"))];
  EXPECT_EQ(list.Items, (std::vector<std::string>{"a", "b"}));
  const DialogControl shape = f.dialog.Controls[*f.designer.Duplicate(f.Index("H1"))];
  EXPECT_EQ(shape.PenWidth, 3);
  EXPECT_EQ(shape.PenColour, 0x000000FF);
  const DialogControl image = f.dialog.Controls[*f.designer.Duplicate(f.Index("I1"))];
  EXPECT_EQ(image.ImageIndex, 0);
  EXPECT_EQ(image.FileName, "");
  EXPECT_EQ(image.Bounds, (port::Rect{108, 78, 32, 32}));

  EXPECT_FALSE(f.designer.Duplicate(99).has_value());
}

TEST(DesignerControls, DeleteRemovesEverySelectedControl) {
  DesignerFixture f;
  ASSERT_TRUE(f.Open(DialogWith({"B1,0,0,40,20,0,\"\",0,N,0,0,0,\"a\"", "E1,0,30,40,20,0,\"\",0,N,0,0,0,\"\"",
                                 "B2,0,60,40,20,0,\"\",0,N,0,0,0,\"b\"", "I1,50,0,32,32,0,\"\",0,0,1,0,0,0,\"\"",
                                 "E2,0,90,40,20,0,\"\",0,N,0,0,0,\"\""})));
  f.Click("B1");
  f.Click("B2", true);
  f.Click("I1", true);
  f.designer.DeleteSelection();
  EXPECT_TRUE(f.designer.Selection().Empty());
  ASSERT_EQ(f.dialog.Controls.size(), 2u);
  EXPECT_EQ(f.dialog.Controls[0].Name, "E1");
  EXPECT_EQ(f.dialog.Controls[1].Name, "E2");
  EXPECT_EQ(f.dialog.Controls[0].TabOrder, 0);
  EXPECT_EQ(f.dialog.Controls[1].TabOrder, 1);
  // A control added afterwards comes last in the tab order.
  f.designer.Add('B', {100, 100});
  const std::vector<std::string> saved = f.Saved();
  ASSERT_EQ(saved.size(), 5u);
  EXPECT_TRUE(saved[2].starts_with("E1,"));
  EXPECT_TRUE(saved[3].starts_with("E2,"));
  EXPECT_TRUE(saved[4].starts_with("B3,"));
}

TEST(DesignerControls, TheTabOrderListedRearrangedAndSavedAsLineOrder) {
  DesignerFixture f;
  ASSERT_TRUE(
      f.Open(DialogWith({"I1,0,0,32,32,0,\"\",0,0,1,0,0,0,\"\"", "B1,0,40,40,20,0,\"\",0,N,0,0,0,\"Go\"",
                         "E1,0,70,40,20,0,\"\",0,N,0,0,0,\"typed\"", "L1,0,100,40,20,0,\"\",0,N,0,0,0,\"Name:\"",
                         "O1,0,130,40,20,0,\"\",0,N,0,0,0,\"x;y;\""})));
  TabOrderList list(f.dialog);
  std::vector<std::string> labels;
  for (const TabOrderEntry& entry : list.Entries()) labels.push_back(entry.Label);
  EXPECT_EQ(labels, (std::vector<std::string>{"B1", "E1 - typed", "L1 - Name:", "O1 - x;y"}));

  EXPECT_FALSE(list.MoveUp(0));
  EXPECT_FALSE(list.MoveDown(3));
  EXPECT_TRUE(list.MoveUp(2));    // L1 before E1
  EXPECT_TRUE(list.MoveDown(0));  // B1 after L1
  EXPECT_TRUE(list.MoveDown(1));  // B1 after E1
  // Until it is accepted nothing changes.
  EXPECT_EQ(TabOrderList(f.dialog).Entries()[0].Label, "B1");
  list.Apply(f.dialog);

  const std::vector<std::string> saved = f.Saved();
  ASSERT_EQ(saved.size(), 7u);
  EXPECT_TRUE(saved[2].starts_with("I1,"));
  EXPECT_TRUE(saved[3].starts_with("L1,"));
  EXPECT_TRUE(saved[4].starts_with("E1,"));
  EXPECT_TRUE(saved[5].starts_with("B1,"));
  EXPECT_TRUE(saved[6].starts_with("O1,"));
}

}  // namespace
}  // namespace tw
