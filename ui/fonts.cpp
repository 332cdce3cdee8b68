#include "ui/fonts.h"

namespace board {
namespace {

QFont MakeFont(const QString& family, int characterHeight, bool bold) {
  QFont font(family);
  font.setPixelSize(characterHeight);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  // Keeps Qt from substituting a Latin face for the Chinese one when the
  // family is missing; the CJK fallback of fontconfig is used instead.
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

QFont YaheiFont(int characterHeight, bool bold) {
  return MakeFont(QStringLiteral("WenQuanYi Micro Hei"), characterHeight, bold);
}

QFont SongFont(int characterHeight, bool bold) {
  return MakeFont(QStringLiteral("AR PL UMing CN"), characterHeight, bold);
}

}  // namespace board
