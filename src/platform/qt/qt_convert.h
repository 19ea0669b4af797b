// Conversions between form-model values and Qt ones.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <string>
#include <string_view>

#include "platform/forms/types.h"

namespace quilbert::qtview {

inline QColor toQColor(forms::Color c) {
  return {c.r, c.g, c.b};
}

inline QString toQString(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string toStdString(const QString& s) {
  return s.toUtf8().toStdString();
}

// Captions keep Windows line ends; Qt draws a lone LF as the line break.
inline QString toDisplayText(std::string_view s) {
  QString text = toQString(s);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar('\r'), QChar('\n'));
  return text;
}

// Fonts are asked for by their Windows names; fontconfig substitutes what is
// installed (DejaVu Sans on a bare system), and metrics use the resolved font.
inline QFont toQFont(const forms::Font& f) {
  QFont font(toQString(f.name));
  font.setPointSizeF(f.size > 0 ? f.size : 8.25);
  font.setBold(f.bold);
  font.setUnderline(f.underline);
  return font;
}

}  // namespace quilbert::qtview
