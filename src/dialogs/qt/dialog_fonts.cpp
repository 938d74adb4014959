#include "dialogs/qt/dialog_fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <cmath>

#include "text/ascii_text.h"

namespace tw {

QFont DialogQFont(const DialogFont& font) {
  const std::string name = UpperAscii(font.Name);
  QFont out(QString::fromStdString(font.Name));
  if (name == "TAHOMA" || name == "MS SANS SERIF") {
    out.setStyleHint(QFont::SansSerif);
  } else if (name == "COURIER NEW" || name == "COURIER") {
    out.setStyleHint(QFont::TypeWriter);
    out.setFixedPitch(true);
  }
  out.setPixelSize(std::max(1, static_cast<int>(std::lround(font.Size * 96.0 / 72.0))));
  out.setBold(font.Bold);
  out.setItalic(font.Italic);
  out.setUnderline(font.Underline);
  out.setStrikeOut(font.StrikeOut);
  if (name == "COURIER NEW" && !QFontInfo(out).fixedPitch()) {
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(out.pixelSize());
    fixed.setBold(font.Bold);
    fixed.setItalic(font.Italic);
    fixed.setUnderline(font.Underline);
    fixed.setStrikeOut(font.StrikeOut);
    return fixed;
  }
  return out;
}

DialogFont DialogFontOf(const QFont& font) {
  DialogFont out;
  out.Name = font.family().toStdString();
  out.Size = font.pixelSize() > 0 ? static_cast<int>(std::lround(font.pixelSize() * 72.0 / 96.0))
                                  : static_cast<int>(std::lround(font.pointSizeF()));
  out.Bold = font.bold();
  out.Italic = font.italic();
  out.Underline = font.underline();
  out.StrikeOut = font.strikeOut();
  return out;
}

}  // namespace tw
