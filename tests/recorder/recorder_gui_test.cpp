// The recorder's wizard on the offscreen platform with the fake desktop: picking a window, recording, the
// script lines it gives, Cancel, and a desktop that cannot record.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include "port/fake/fake_desktop.h"
#include "qt_on_bed.h"
#include "recorder/qt/enum_window_info.h"
#include "recorder/qt/form_recording.h"
#include "support/qt_application.h"

namespace tw {
namespace {

using port::fake::FakeDesktop;
using testbed::Choreography;

TFormRecording* OpenWizard() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (auto* form = qobject_cast<TFormRecording*>(window); form && form->isVisible()) return form;
  return nullptr;
}

// Drags the wizard's pointer onto the point of the desktop.
void DragTo(FakeDesktop& desktop, TFormRecording& form, port::Point where) {
  QTest::mousePress(form.EnumWindowInfo, Qt::LeftButton);
  desktop.fakeMouse().place(where);
  QTest::mouseRelease(form.EnumWindowInfo, Qt::LeftButton);
}

class Wizard : public ::testing::Test {
 protected:
  void SetUp() override {
    test::Application();
    // Far above the ids of the offscreen platform's windows.
    for (int i = 0; i < 1000; ++i) desktop_.fakeWindows().remove(desktop_.fakeWindows().add({}));
    notes_ = desktop_.fakeWindows().add({.title = "Notes", .windowClass = {"notes", "Editor"}, .frame = {0, 0, 400, 300}});
  }
  FakeDesktop desktop_;
  port::WindowId notes_ = port::kNoWindow;
  TFormRecording* form_ = nullptr;
  const std::function<bool()> open_ = [this] { return (form_ = OpenWizard()) != nullptr; };
  const std::function<void()> giveUp_ = [this] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
    if (form_) form_->reject();
  };
};

TEST_F(Wizard, RecordsWhatIsTypedForThePickedWindow) {
  Choreography steps(
      {open_,
       [&] {
         DragTo(desktop_, *form_, {100, 100});
         return form_->LablTitle->text() == "Notes" && form_->LablClass->text() == "Editor";
       },
       [&] {
         form_->ButtNext->click();
         return desktop_.fakeInputRecording().recording();
       },
       [&] {
         desktop_.fakeInputRecording().type(U"Hi");
         desktop_.fakeInputRecording().tap(port::keys::kEnter);
         return true;
       },
       [&] { return form_->Recorder().RecordedText() == "~Hi{enter}"; },
       [&] {
         form_->ButtStop->click();
         return true;
       }},
      giveUp_);
  const auto script = RecordKeystrokesScript(desktop_, 5);
  ASSERT_FALSE(steps.failed()) << "step " << *steps.failed();
  EXPECT_EQ(script, "IF FOCUS(\"Notes\", 5) = True THEN\r\n    SEND \"~Hi{enter}\"\r\n    ENDIF\r\n    ");
  EXPECT_FALSE(desktop_.fakeInputRecording().recording()) << "the recording ends with the wizard";
  EXPECT_NE(std::find(desktop_.log().begin(), desktop_.log().end(), "activate Notes"), desktop_.log().end())
      << "the picked window comes to the front before recording";
}

TEST_F(Wizard, CancelGivesNothing) {
  Choreography steps({open_,
                      [&] {
                        form_->ButtNext->click();
                        desktop_.fakeInputRecording().type(U"lost");
                        return true;
                      },
                      [&] { return form_->Recorder().RecordedText() == "lost"; },
                      [&] {
                        form_->ButtCancel->click();
                        return true;
                      }},
                     giveUp_);
  EXPECT_EQ(RecordKeystrokesScript(desktop_, 1), std::nullopt);
  ASSERT_FALSE(steps.failed()) << "step " << *steps.failed();
  EXPECT_FALSE(desktop_.fakeInputRecording().recording());
  EXPECT_TRUE(desktop_.log().empty()) << "no window was picked, none activated";
}

TEST_F(Wizard, ADesktopThatCannotRecordSaysSoAndStaysOnTheSecondStep) {
  desktop_.fakeInputRecording().failNextStart("display :9 has no RECORD extension for recording input");
  QString error;
  TFormRecording form(desktop_);
  Choreography steps({[&] { return form.isVisible(); },
                      [&] {
                        // The error box has an event loop of its own: clicked from here, it would run the
                        // steps again inside this one.
                        QTimer::singleShot(0, form.ButtNext, &QPushButton::click);
                        return true;
                      },
                      [&] {
                        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                        if (!box) return false;
                        error = box->text();
                        box->accept();
                        return true;
                      },
                      [&] {
                        EXPECT_EQ(form.Steps->currentIndex(), 1);
                        EXPECT_TRUE(form.ButtStop->isVisibleTo(&form));
                        form.ButtStop->click();
                        return true;
                      }},
                     [&] { form.reject(); });
  EXPECT_TRUE(form.Execute());
  ASSERT_FALSE(steps.failed()) << "step " << *steps.failed();
  EXPECT_EQ(error, "Cannot set Hook\ndisplay :9 has no RECORD extension for recording input");
  EXPECT_EQ(form.RecordedText(), "");
}

}  // namespace
}  // namespace tw
