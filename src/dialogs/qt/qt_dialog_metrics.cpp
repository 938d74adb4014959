#include "dialogs/qt/qt_dialog_metrics.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>
#include <optional>

#include "dialogs/qt/dialog_fonts.h"

namespace tw {

namespace {
// Until a dialog has been on the screen: a thin border and a caption bar of the usual height.
std::optional<FrameMargins> knownFrame;
constexpr FrameMargins kUsualFrame{1, 22, 1, 1};
}  // namespace

port::Size QtDialogMetrics::TextExtent(const DialogFont& font, std::string_view text) const {
  const QFontMetrics metrics(DialogQFont(font));
  return {metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))),
          metrics.height()};
}

FrameMargins QtDialogMetrics::WindowFrame() const {
  if (knownFrame) return *knownFrame;
  // Without a window system there is no frame.
  return QGuiApplication::platformName() == "offscreen" ? FrameMargins{} : kUsualFrame;
}

void QtDialogMetrics::RememberFrame(const FrameMargins& frame) { knownFrame = frame; }

std::vector<port::Rect> QtDialogMetrics::Screens() const {
  std::vector<port::Rect> screens;
  const auto add = [&screens](const QScreen* screen) {
    const QRect area = screen->geometry();
    screens.push_back({area.x(), area.y(), area.width(), area.height()});
  };
  if (QScreen* primary = QGuiApplication::primaryScreen()) add(primary);
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen != QGuiApplication::primaryScreen()) add(screen);
  if (screens.empty()) screens.push_back({0, 0, 1024, 768});
  return screens;
}

bool QtDialogMetrics::PictureLoads(const std::string& file) const {
  return QImageReader(QString::fromStdString(file)).canRead();
}

}  // namespace tw
