// The design surface on Qt's offscreen platform: mouse events of the controls' widgets (and of their inner
// parts) reach the designer through the one filter, the popup menu acts on the selection and the grid, the
// closing question keeps or drops the changes, and preview and help go to the host as script dialogs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <functional>

#include "dialogs/designer/qt/design_surface.h"
#include "dialogs/designer/qt/edit_definition.h"
#include "dialogs/designer/qt/form_component_properties.h"
#include "dialogs/designer/qt/form_tab_order.h"
#include "support/qt_application.h"
#include "support/qt_window_watcher.h"
#include "support/recording_host.h"

namespace tw {
namespace {

using test::RecordingHost;
using test::When;

// Once the popup menu is open: triggers its item (in a submenu too) and closes it.
void ChooseFromMenu(const QString& item) {
  When([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
       [item] {
         auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
         for (QAction* action : menu->findChildren<QAction*>())
           if (action->text() == item) {
             action->trigger();
             break;
           }
         menu->close();
       });
}

void AnswerSaveChanges(QMessageBox::StandardButton answer) {
  When([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
       [answer] {
         auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
         EXPECT_EQ(box->text(), "Save Changes?");
         box->button(answer)->click();
       });
}

// A mouse event sent to a widget, as the toolkit delivers it to the widget under (or holding) the mouse.
void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, at, widget->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                    modifiers);
  QApplication::sendEvent(widget, &event);
}

void Click(QWidget* widget, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  Mouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, modifiers);
  Mouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, modifiers);
}

const std::vector<std::string> kEveryKind{
    "WINDOW,100,80,400,300,0,\"Tahoma\",9,N,\"Every kind\"", "WINDOW1,0.00,clBtnFace",
    "H1,300,200,40,40,0,\"\",0,2,0,16777215,0,\"\"",         "I2,300,150,32,32,0,\"\",0,0,3,0,0,0,\"\"",
    "L1,10,10,100,20,0,\"Tahoma\",9,N,2,0,0,\"Name:\"",      "E1,10,40,120,22,0,\"Tahoma\",9,N,0,1,0,\"secret\"",
    "M1,10,70,120,60,0,\"Tahoma\",9,N,0,1,0,\"memo\"",       "O1,150,10,100,22,0,\"Tahoma\",9,N,0,0,0,\"a;b;\"",
    "S1,150,40,100,60,0,\"Tahoma\",9,N,0,0,0,\"x;y;\"",      "C1,150,110,100,20,0,\"Tahoma\",9,N,1,0,0,\"Check\"",
    "R1,150,140,100,20,0,\"Tahoma\",9,N,0,0,0,\"Radio\"",    "B1,300,10,75,25,0,\"Tahoma\",9,N,0,0,0,\"&OK\"",
};

class DesignSurfaceTest : public ::testing::Test {
 protected:
  DesignSurfaceTest() {
    test::Application();
    dialog.Definition = kEveryKind;
    EXPECT_TRUE(designer.Open());
    surface = std::make_unique<DesignSurface>(designer, host);
    surface->show();
  }
  QWidget* Widget(const char* name) { return surface->Widgets()[*dialog.FindControl(name)]; }
  const port::Rect& Bounds(const char* name) { return dialog.Controls[*dialog.FindControl(name)].Bounds; }
  // Opens the menu as a right press on the control does, choosing the item.
  void Menu(const char* control, const QString& item) {
    ChooseFromMenu(item);
    Mouse(Widget(control), QEvent::MouseButtonPress, {2, 2}, Qt::RightButton);
  }

  RecordingHost host;
  TEnhanceFormDialog dialog{host};
  DialogDesigner designer{dialog};
  std::unique_ptr<DesignSurface> surface;
};

TEST_F(DesignSurfaceTest, ControlsShowTheirDesignSubstitutes) {
  // Labels and lists as green memos of their text; the other kinds as themselves.
  auto* label = qobject_cast<QPlainTextEdit*>(Widget("L1"));
  auto* list = qobject_cast<QPlainTextEdit*>(Widget("S1"));
  ASSERT_TRUE(label && list && qobject_cast<QPlainTextEdit*>(Widget("O1")));
  EXPECT_EQ(label->toPlainText(), "Name:");
  EXPECT_EQ(list->toPlainText(), "x;y");
  EXPECT_EQ(label->palette().color(QPalette::Base), QColor(0xC0, 0xDC, 0xC0));
  EXPECT_TRUE(qobject_cast<QPushButton*>(Widget("B1")));
  EXPECT_EQ(Widget("L1")->cursor().shape(), Qt::ArrowCursor);

  // A button pressed on the surface does not close it.
  Click(Widget("B1"), {5, 5});
  EXPECT_TRUE(surface->isVisible());

  // Typing over a substitute changes its control: the items of a list.
  list->setPlainText("x;y;z");
  designer.Save();
  EXPECT_NE(std::find(dialog.Definition.begin(), dialog.Definition.end(),
                      "S1,150,40,100,60,0,\"Tahoma\",9,N,0,0,0,\"x;y;z;\""),
            dialog.Definition.end());
}

TEST_F(DesignSurfaceTest, DraggingThroughAnInnerPartMovesAndResizesOnTheGrid) {
  // The label's memo receives the mouse in its viewport: the filter finds the control all the same.
  QWidget* viewport = qobject_cast<QPlainTextEdit*>(Widget("L1"))->viewport();
  Click(viewport, {3, 3});  // selects
  Mouse(viewport, QEvent::MouseButtonPress, {3, 3});
  Mouse(viewport, QEvent::MouseMove, {8, 0});  // by (+5, -3) from (10, 10)
  EXPECT_EQ(Widget("L1")->pos(), QPoint(12, 4));
  Mouse(viewport, QEvent::MouseButtonRelease, {8, 0});
  EXPECT_EQ(Bounds("L1"), (port::Rect{12, 4, 100, 20}));

  // The edit box by its corner: 120 x 22 at (10, 40), grabbed 2 pixels inside the corner.
  QWidget* edit = Widget("E1");
  Click(edit, {1, 1});
  Mouse(edit, QEvent::MouseButtonPress, {118, 20});
  Mouse(edit, QEvent::MouseMove, {118 + 31, 20 + 9});
  Mouse(edit, QEvent::MouseButtonRelease, {118 + 31, 20 + 9});
  EXPECT_EQ(Bounds("E1"), (port::Rect{10, 40, 150, 28}));  // right 161 -> 160, bottom 71 -> 68
  EXPECT_EQ(edit->size(), QSize(150, 28));
}

TEST_F(DesignSurfaceTest, ShiftClickedControlsMoveTogetherAndTheGridMenuSetsItsNumber) {
  Menu("B1", "8");
  Click(Widget("C1"), {1, 1});
  Click(Widget("R1"), {1, 1}, Qt::ShiftModifier);
  Mouse(Widget("R1"), QEvent::MouseButtonPress, {1, 1});
  Mouse(Widget("R1"), QEvent::MouseMove, {1 + 9, 1 + 17});
  Mouse(Widget("R1"), QEvent::MouseButtonRelease, {1 + 9, 1 + 17});
  EXPECT_EQ(Bounds("C1").left, 152);  // 159 to a multiple of 8
  EXPECT_EQ(Bounds("C1").top, 120);   // 127
  EXPECT_EQ(Bounds("R1").left, 152);
  EXPECT_EQ(Bounds("R1").top, 152);  // 157
}

TEST_F(DesignSurfaceTest, PopupMenuAddsDuplicatesAndDeletesTheSelection) {
  ChooseFromMenu("Edit");
  Mouse(surface.get(), QEvent::MouseButtonPress, {200, 240}, Qt::RightButton);
  ASSERT_EQ(dialog.Controls.size(), kEveryKind.size() - 1);
  EXPECT_EQ(dialog.Controls.back().Bounds.left, 200);
  EXPECT_EQ(dialog.Controls.back().Text, "EditBox");
  EXPECT_EQ(surface->Widgets().size(), dialog.Controls.size());

  Menu("E1", "Duplicate");
  ASSERT_EQ(dialog.Controls.size(), kEveryKind.size());
  EXPECT_EQ(dialog.Controls.back().Text, "secret");

  Click(Widget("L1"), {1, 1});
  Click(Widget("M1"), {1, 1}, Qt::ShiftModifier);
  Click(Widget("B1"), {1, 1}, Qt::ShiftModifier);
  ChooseFromMenu("Delete");  // on the surface: a right press on a control would select it alone
  Mouse(surface.get(), QEvent::MouseButtonPress, {390, 290}, Qt::RightButton);
  EXPECT_EQ(dialog.Controls.size(), kEveryKind.size() - 3);
  EXPECT_FALSE(dialog.FindControl("L1") || dialog.FindControl("M1") || dialog.FindControl("B1"));
  EXPECT_TRUE(designer.Selection().Empty());
  EXPECT_EQ(surface->Widgets().size(), dialog.Controls.size());
}

TEST_F(DesignSurfaceTest, PreviewAndHelpAreShownAsScriptDialogs) {
  std::vector<std::string> shown;
  host.OnDialog = [&shown](TEnhanceFormDialog& seen) {
    shown.push_back(seen.Window.Caption + "/" + std::to_string(seen.Controls.size()) + "/" +
                    (seen.Window.DesignMode ? "design" : "run"));
  };
  Click(Widget("B1"), {1, 1});
  Menu("B1", "Delete");
  Menu("E1", "Preview...");
  Menu("E1", "Help...");
  EXPECT_EQ(shown, (std::vector<std::string>{"Every kind/9/run", "Enhance Dialog Help/4/run"}));
  EXPECT_EQ(dialog.Definition, kEveryKind) << "only saving replaces what the designer opened";
}

TEST_F(DesignSurfaceTest, PropertiesEditTheCurrentControlOrTheDialog) {
  std::vector<QString> opened;
  test::WindowWatcher<TFormComponentProperties> properties([&opened](TFormComponentProperties& form) {
    const QString page = form.PageControl->tabText(form.PageControl->currentIndex());
    opened.push_back(page);
    if (page != "Dialog") return form.reject();
    form.EditTitle->setText("Renamed");
    form.ButtOk->click();
  });
  Click(Widget("E1"), {1, 1});
  ChooseFromMenu("Properties");
  Mouse(surface.get(), QEvent::MouseButtonPress, {390, 290}, Qt::RightButton);
  Click(surface.get(), {390, 290});  // clears the selection
  ChooseFromMenu("Properties");
  Mouse(surface.get(), QEvent::MouseButtonPress, {390, 290}, Qt::RightButton);
  EXPECT_EQ(opened, (std::vector<QString>{"Components", "Dialog"}));
  EXPECT_EQ(surface->windowTitle(), "Renamed - [Edit]");

  bool listed = false;
  test::WindowWatcher<TFormTabOrder> tabOrder([&listed](TFormTabOrder& form) {
    listed = form.ListControls->count() > 0;
    form.reject();
  });
  Menu("E1", "Tab Order...");
  EXPECT_TRUE(listed);
}

TEST_F(DesignSurfaceTest, CancelOnClosingKeepsEveryChangeThenYesSavesThem) {
  Click(Widget("B1"), {1, 1});
  Menu("B1", "Delete");
  AnswerSaveChanges(QMessageBox::Cancel);
  surface->close();
  EXPECT_TRUE(surface->isVisible());
  EXPECT_FALSE(dialog.FindControl("B1"));
  EXPECT_TRUE(dialog.Window.DesignMode);

  AnswerSaveChanges(QMessageBox::Yes);
  surface->close();
  EXPECT_FALSE(surface->isVisible());
  EXPECT_EQ(surface->result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Definition.size(), kEveryKind.size() - 1);
  EXPECT_EQ(dialog.Definition.front(), kEveryKind.front());
}

TEST(EditDefinition, LeavingWithoutSavingKeepsTheDefinition) {
  test::Application();
  RecordingHost host;
  TEnhanceFormDialog dialog(host);
  dialog.Definition = kEveryKind;
  When([] { return qobject_cast<DesignSurface*>(QApplication::activeModalWidget()) != nullptr; },
       [] {
         auto* surface = qobject_cast<DesignSurface*>(QApplication::activeModalWidget());
         QWidget* button = surface->Widgets().back();
         Click(button, {1, 1});
         ChooseFromMenu("Delete");
         Mouse(button, QEvent::MouseButtonPress, {1, 1}, Qt::RightButton);
         AnswerSaveChanges(QMessageBox::No);
         surface->close();
       });
  EXPECT_FALSE(EditDefinition(dialog, host));
  EXPECT_EQ(dialog.Definition, kEveryKind);
}

}  // namespace
}  // namespace tw
