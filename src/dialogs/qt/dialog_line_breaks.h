#pragma once
// Line breaks inside the dialog object are CR LF; Qt's text is split at LF.

#include <QString>
#include <string>

namespace tw {

inline QString ToQtLines(const std::string& text) { return QString::fromStdString(text).replace("\r\n", "\n"); }
inline std::string ToCrLf(const QString& text) { return QString(text).replace("\n", "\r\n").toStdString(); }

}  // namespace tw
