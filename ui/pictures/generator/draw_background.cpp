#include <QLinearGradient>
#include <QPainter>

#include "ui/pictures/generator/drawings.h"
#include "ui/pictures/generator/fonts.h"
#include "ui/pictures/generator/lettering.h"
#include "ui/pictures/generator/palette.h"

namespace board {
namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 640;
constexpr int kLineRow = 455;
constexpr double kCentreX = kWidth / 2.0;

void FillBands(QPainter& painter) {
  painter.fillRect(0, 0, kWidth, kLineRow, palette::kBlack);
  painter.fillRect(0, kLineRow, kWidth, 1, palette::kBottomLine);
  painter.fillRect(0, kLineRow + 1, kWidth, kHeight - kLineRow - 1,
                   palette::kWhite);
}

// The frame behind the two page headers: columns 60 to 298, rows 75 to 104,
// split where the second header begins.
void DrawHeaderFrame(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(palette::kOutline, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(60, 75, 298 - 60, 104 - 75);
  painter.drawLine(179, 75, 179, 104);
}

void DrawProductWord(QPainter& painter) {
  QFont font = LetteringFont(fonts::kSans);
  font.setLetterSpacing(QFont::PercentageSpacing, 115);
  const QPainterPath word = LetteringOutline("Quorvik", font, 0.05);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.fillPath(FitLettering(word, {36, 56, kCentreX, 200}),
                   palette::kWhite);
}

// White lettering with a hairline of the outline colour one pixel below and
// to the right, which lifts it off the black without leaving its rows.
// Returns where the white letters lie.
QRectF DrawEngraved(QPainter& painter, const QPainterPath& outline,
                    LetteringBox box) {
  box.last_row -= 1;
  const QPainterPath letters = FitLettering(outline, box);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.fillPath(letters.translated(1, 1), palette::kOutline);
  painter.fillPath(letters, palette::kWhite);
  return letters.boundingRect();
}

// Short tapering rules either side of a line of lettering.
void DrawFlourishes(QPainter& painter, int row, double inner_left,
                    double inner_right) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::NoPen);
  for (const double sign : {-1.0, 1.0}) {
    const double inner = sign < 0 ? inner_left : inner_right;
    const double outer = inner + sign * 40;
    QLinearGradient fade(inner, 0, outer, 0);
    fade.setColorAt(0, palette::kOutline);
    fade.setColorAt(1, palette::kBlack);
    painter.setBrush(fade);
    QPainterPath rule;
    rule.moveTo(inner, row - 1.0);
    rule.lineTo(outer, row + 0.5);
    rule.lineTo(inner, row + 2.0);
    rule.closeSubpath();
    painter.drawPath(rule);
    painter.setBrush(palette::kWhite);
    painter.drawEllipse(QPointF(inner - sign * 0.5, row + 0.5), 1.6, 1.6);
  }
}

void DrawForumName(QPainter& painter) {
  const QPainterPath outline = LetteringOutline(
      QStringLiteral("Brantmoor论坛"), LetteringFont(fonts::kSerif), 0.02);
  const QRectF ink = DrawEngraved(painter, outline, {126, 155, kCentreX, 230});
  DrawFlourishes(painter, 140, ink.left() - 10, ink.right() + 10);
}

void DrawWebAddress(QPainter& painter) {
  QFont font = LetteringFont(fonts::kSerif);
  font.setItalic(true);
  DrawEngraved(painter,
               LetteringOutline(QStringLiteral("www.brantmoor.example"), font),
               {169, 196, kCentreX, 300});
}

}  // namespace

QImage DrawBackground() {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  QPainter painter(&image);
  FillBands(painter);
  DrawHeaderFrame(painter);
  DrawProductWord(painter);
  DrawForumName(painter);
  DrawWebAddress(painter);
  return image;
}

}  // namespace board
