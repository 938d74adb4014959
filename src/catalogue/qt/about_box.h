#pragma once
// TAboutBox: the about box of tarnwick (Help > About...) and, without its button, the splash window shown
// while the program starts.

#include <QDialog>

class QLabel;
class QPushButton;

namespace tw {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  enum class Use { About, Splash };
  explicit TAboutBox(Use use, QWidget* parent = nullptr);

  QLabel* LablTitle;
  QLabel* LablVersion;
  QPushButton* ButtOk = nullptr;  // none on the splash window
};

// "Version: " and the program's version, as brindle shows its own: "Version: 1.0.0.0".
QString AboutVersionText();

}  // namespace tw
