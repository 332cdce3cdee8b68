#pragma once

#include <QString>

namespace board {

// Looks of the window's controls as Qt style sheets. A "thin single-line
// border" is one grey pixel, as a plain bordered edit box has.

inline QString OneLineEditStyle() {
  return QStringLiteral(
      "QLineEdit { border: 1px solid #7A7A7A; background: #FFFFFF;"
      " color: #000000; padding: 0px; }");
}

// Disabled captions keep their red instead of being greyed.
inline QString CaptionEditStyle() {
  return QStringLiteral(
      "QLineEdit { border: 1px solid #7A7A7A; background: #FFFFFF;"
      " color: #FF0000; padding: 0px; }");
}

inline QString NoticeEditStyle() {
  return QStringLiteral(
      "QLineEdit { border: none; background: #FFFFFF; color: #000000;"
      " padding: 0px; }");
}

inline QString LogEditStyle() {
  return QStringLiteral(
      "QPlainTextEdit { border: 1px solid #7A7A7A; background: #000000;"
      " color: #00FF00; }");
}

inline QString LabelStyle(const char* text, const char* background) {
  return QStringLiteral("QLabel { color: %1; background: %2; }")
      .arg(QLatin1String(text), QLatin1String(background));
}

// A raised face; grey while the mouse is over it, dark grey while it has the
// focus, sunken while pressed.
inline QString StartButtonStyle() {
  return QStringLiteral(
      "QPushButton { color: #FFFFFF; background: #000000;"
      " border: 2px outset #A0A0A0; }"
      "QPushButton:focus { background: #606060; }"
      "QPushButton:hover { background: #808080; }"
      "QPushButton:pressed { border-style: inset; }");
}

}  // namespace board
