// The property form's values: what they are taken from, what is stored back per kind, and the values that are
// refused with nothing stored.

#include <gtest/gtest.h>

#include <fstream>

#include "designer_test_support.h"
#include "dialogs/designer/design_properties.h"

namespace tw {
namespace {

using test::DesignerFixture;
using test::DialogWith;

const std::vector<std::string> kEveryKind = DialogWith({
    "B1,0,0,60,20,0,\"\",0,N,0,0,0,\"&Go\"",
    "C1,0,30,60,20,0,\"\",0,N,1,0,0,\"check\"",
    "E1,0,60,60,20,0,\"\",0,N,0,0,50,\"text\"",
    "L1,0,90,60,20,0,\"\",0,N,1,0,0,\"label\"",
    "M1,0,120,60,40,0,\"\",0,N,0,1,200,\"one&nl&two\"",
    "O1,0,170,60,20,0,\"\",0,N,0,0,0,\"a;b;\"",
    "R1,100,0,60,20,0,\"\",0,N,1,0,0,\"first\"",
    "R2,100,30,60,20,0,\"\",0,N,0,0,0,\"second\"",
    "H1,100,60,40,40,0,\"\",2,3,255,0,0,\"\"",
    "I1,100,110,32,32,0,\"\",0,0,5,1,0,0,\"\"",
});

TEST(DesignerProperties, TheyEditTheControlOpenedOnElseTheLastSelectedElseTheDialog) {
  DesignerFixture f;
  ASSERT_TRUE(f.Open(kEveryKind));
  f.Click("B1");
  f.Click("E1", true);
  EXPECT_EQ(f.designer.PropertiesTarget(std::nullopt), f.Index("E1"));
  EXPECT_EQ(f.designer.PropertiesTarget(f.Index("H1")), f.Index("H1"));
  f.designer.Mouse().PressSurface();
  EXPECT_EQ(f.designer.PropertiesTarget(std::nullopt), std::nullopt);

  EXPECT_EQ(PropertyPageFor(ControlKind::Image), PropertyPage::Image);
  EXPECT_EQ(PropertyPageFor(ControlKind::Shape), PropertyPage::Shape);
  EXPECT_EQ(PropertyPageFor(ControlKind::Label), PropertyPage::Components);
  EXPECT_TRUE(ComponentFieldsOf(ControlKind::Memo).Alignment);
  EXPECT_FALSE(ComponentFieldsOf(ControlKind::Button).MaxLength);
}

TEST(DesignerProperties, ValuesAreStoredBackByKind) {
  DesignerFixture f;
  ASSERT_TRUE(f.Open(kEveryKind));
  const DialogFont courier{"Courier New", 11, true};
  const auto store = [&](const char* name, auto change) {
    const std::size_t index = f.Index(name);
    ControlProperties values = PropertiesOf(f.dialog, index);
    change(values);
    EXPECT_EQ(StoreProperties(f.dialog, index, values), std::nullopt) << name;
  };

  store("B1", [&](ControlProperties& v) {
    v.Name = "BGO";
    v.Text = "&Run";
    v.Focused = true;
    v.Font = courier;
  });
  EXPECT_EQ(f.Control("BGO").Text, "&Run");
  EXPECT_TRUE(f.Control("BGO").Focus);
  EXPECT_EQ(f.Control("BGO").Font, courier);

  store("E1", [&](ControlProperties& v) {
    v.Text = "new";
    v.MaxLength = "8";
    v.Password = true;
  });
  EXPECT_EQ(f.Control("E1").Text, "new");
  EXPECT_EQ(f.Control("E1").MaxLength, 8);
  EXPECT_TRUE(f.Control("E1").Password);
  EXPECT_FALSE(f.Control("E1").Font.has_value());  // the dialog's font, unchanged, stays the dialog's

  store("M1", [&](ControlProperties& v) {
    v.Alignment = 2;
    v.WordWrap = false;
    v.MaxLength = "0";
  });
  EXPECT_EQ(f.Control("M1").Alignment, 2);
  EXPECT_EQ(f.Control("M1").Scrolling, ScrollBars::Both);
  EXPECT_EQ(f.Control("M1").Text, "one\r\ntwo");

  EXPECT_EQ(PropertiesOf(f.dialog, f.Index("O1")).Text, "a;b");
  store("O1", [&](ControlProperties& v) { v.Text = "x;y;z"; });
  EXPECT_EQ(f.Control("O1").Items, (std::vector<std::string>{"x", "y", "z"}));

  store("R2", [&](ControlProperties& v) { v.Checked = true; });
  EXPECT_TRUE(f.Control("R2").Checked);
  EXPECT_FALSE(f.Control("R1").Checked);  // one group

  store("H1", [&](ControlProperties& v) {
    v.Shape = 4;
    v.PenWidth = "6";
    v.PenColour = 0xFF00;
  });
  EXPECT_EQ(f.Control("H1").Shape, ShapeKind::Ellipse);
  EXPECT_EQ(f.Control("H1").PenWidth, 6);
  EXPECT_EQ(f.Control("H1").PenColour, 0xFF00);

  store("I1", [&](ControlProperties& v) {
    v.ImageIndex = 2;
    v.Stretch = false;
    v.FileName = "/nowhere/pic.png";
  });
  EXPECT_EQ(f.Control("I1").ImageIndex, 2);
  EXPECT_FALSE(f.Control("I1").Stretch);
  EXPECT_EQ(f.Control("I1").FileName, "/nowhere/pic.png");

  DialogProperties dialog = PropertiesOf(f.dialog);
  EXPECT_EQ(dialog.Timeout, "0.00");
  dialog.Caption = "Settings";
  dialog.Timeout = "1.5";
  dialog.PositionMode = 2;
  dialog.Colour = kClWindow;
  StoreProperties(f.dialog, dialog);
  EXPECT_EQ(f.dialog.Window.Caption, "Settings");
  EXPECT_EQ(f.dialog.Window.TimeoutMs, 1500);
  EXPECT_EQ(f.dialog.Window.PositionMode, 2);
  dialog.Timeout = "soon";
  StoreProperties(f.dialog, dialog);
  EXPECT_EQ(f.dialog.Window.TimeoutMs, 0);
  EXPECT_EQ(f.Saved()[1], "WINDOW1,0.00,clWindow");
}

TEST(DesignerProperties, AValueThatCannotBeStoredIsRefusedAndNothingIsStored) {
  struct Case {
    const char* control;
    const char* name;  // the whole name after the change
    const char* maxLength;
    const char* penWidth;
  } cases[] = {
      {"E1", "2x", "50", "1"},     // not an identifier
      {"E1", "E a", "50", "1"},    // a blank
      {"R2", "R1", "0", "1"},      // another control's name
      {"R2", "r1", "0", "1"},      // the same in another letter case
      {"E1", "C9", "50", "1"},     // another kind's letter
      {"E1", "e", "50", "1"},      // read back, a single letter gets an automatic name
      {"E1", "EFINE", "1x", "1"},  // a maximum length that is not a whole number
      {"H1", "H1", "0", "1.5"},    // a pen width that is not a whole number
      {"H1", "H1", "0", ""},
  };
  for (const Case& c : cases) {
    DesignerFixture f;
    ASSERT_TRUE(f.Open(kEveryKind));
    const std::vector<std::string> before = f.Saved();
    ASSERT_TRUE(f.Open(before));
    const std::size_t index = f.Index(c.control);
    ControlProperties values = PropertiesOf(f.dialog, index);
    values.Name = c.name;
    values.Text = "changed";
    values.Focused = true;
    values.MaxLength = c.maxLength;
    values.PenWidth = c.penWidth;
    values.Shape = 5;
    values.PenColour = 0xFF;
    const auto refused = StoreProperties(f.dialog, index, values);
    EXPECT_TRUE(refused.has_value()) << c.control << " " << c.name;
    EXPECT_EQ(f.Saved(), before) << c.control << " " << c.name << ": " << refused.value_or("");
  }
}

TEST(DesignerProperties, AnImageFileThatHoldsNoPictureIsRefused) {
  struct NoPictures : FixedDialogMetrics {
    bool PictureLoads(const std::string&) const override { return false; }
  } metrics;
  test::RecordingHost host;
  host.Metrics = &metrics;
  TEnhanceFormDialog dialog(host);
  dialog.Definition = DialogWith({"I1,0,0,32,32,0,\"\",0,0,1,0,0,0,\"\""});
  DialogDesigner designer(dialog);
  ASSERT_TRUE(designer.Open());
  ControlProperties values = PropertiesOf(dialog, 0);
  values.FileName = "/nowhere/missing.png";  // a missing file shows the built-in picture
  EXPECT_EQ(StoreProperties(dialog, 0, values), std::nullopt);
  const std::string notAPicture = testing::TempDir() + "designer_not_a_picture.txt";
  std::ofstream(notAPicture) << "text";
  values.FileName = notAPicture;
  EXPECT_TRUE(StoreProperties(dialog, 0, values).has_value());
  EXPECT_EQ(dialog.Controls[0].FileName, "/nowhere/missing.png");
}

}  // namespace
}  // namespace tw
