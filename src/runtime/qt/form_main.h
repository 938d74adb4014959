#pragma once
// TFormMain: brindle's usage window, shown when it starts without a script, and its about box.

#include <QDialog>

class QLabel;
class QPushButton;

namespace tw {

class TFormMain : public QDialog {
  Q_OBJECT

 public:
  explicit TFormMain(QWidget* parent = nullptr);

  QLabel* LablVersion;
  QLabel* LablUsage;
  QPushButton* ButtOk;
};

// "Tarnwick Script Runtime", a line break and "Version: " with the program's version.
QString RuntimeVersionText();
QString RuntimeUsageText();

}  // namespace tw
