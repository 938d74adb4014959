#pragma once
// The form of a script dialog on Qt: renders the dialog object's window and controls, reports buttons, the
// countdown and the timeout to it, and leaves the controls' values in it when it closes. The widgets carry
// their controls' names.

#include <QDialog>
#include <QTimer>
#include <vector>

#include "dialogs/enhance_form_dialog.h"
#include "port/windows.h"

namespace tw {

class DialogForm : public QDialog {
  Q_OBJECT

 public:
  // `windows`, when there is a desktop, brings the window to the front once it is on the screen.
  DialogForm(TEnhanceFormDialog& dialog, port::WindowService* windows, QWidget* parent = nullptr);

  // The widget of each control in the dialog's order; nullptr for the countdown's timer.
  const std::vector<QWidget*>& Widgets() const { return widgets_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  QWidget* Build(std::size_t index);
  void ApplyGeometry();
  void WatchFrame();
  void StoreValues();

  TEnhanceFormDialog& dialog_;
  port::WindowService* windows_;
  std::vector<QWidget*> widgets_;
  QTimer timeout_;
  QTimer countdown_;
  QTimer frameWatch_;
  int frameChecks_ = 0;
  bool activated_ = false;
};

}  // namespace tw
