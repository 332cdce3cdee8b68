#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

#include "ui/pictures/generator/drawings.h"
#include "ui/pictures/generator/fonts.h"
#include "ui/pictures/generator/lettering.h"
#include "ui/pictures/generator/palette.h"

namespace board {
namespace {

constexpr int kSize = 256;
constexpr QPointF kCentre{128, 128};
constexpr double kOuterRadius = 124;
constexpr double kInnerRadius = 88;

QPainterPath Disc(double radius) {
  QPainterPath disc;
  disc.addEllipse(kCentre, radius, radius);
  return disc;
}

// A closed line that runs around the ring, swinging in and out of it.
QPainterPath WaveAround(double radius, double swing, double phase) {
  constexpr int kSteps = 720;
  constexpr int kWaves = 9;
  QPainterPath wave;
  for (int step = 0; step <= kSteps; ++step) {
    const double angle = 2 * std::numbers::pi * step / kSteps;
    const double r = radius + swing * std::sin(kWaves * angle + phase);
    const QPointF point(kCentre.x() + r * std::cos(angle),
                        kCentre.y() + r * std::sin(angle));
    step == 0 ? wave.moveTo(point) : wave.lineTo(point);
  }
  return wave;
}

void DrawRing(QPainter& painter) {
  const QPainterPath ring = Disc(kOuterRadius).subtracted(Disc(kInnerRadius));
  painter.fillPath(ring, palette::kIconRed);
  painter.save();
  painter.setClipPath(ring);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(palette::kIconBlue, 6));
  painter.drawPath(WaveAround(100, 7, 0));
  painter.setPen(QPen(palette::kIconDeepBlue, 4));
  painter.drawPath(WaveAround(114, 5, std::numbers::pi));
  painter.restore();
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(palette::kWhite, 3));
  painter.drawEllipse(kCentre, kInnerRadius, kInnerRadius);
  painter.setPen(QPen(palette::kIconDeepBlue, 3));
  painter.drawEllipse(kCentre, kOuterRadius, kOuterRadius);
}

void DrawCentre(QPainter& painter) {
  QRadialGradient glow(kCentre - QPointF(20, 24), kInnerRadius * 1.3);
  glow.setColorAt(0, palette::kIconBlue.lighter(135));
  glow.setColorAt(1, palette::kIconDeepBlue);
  painter.fillPath(Disc(kInnerRadius), glow);
}

void DrawWord(QPainter& painter) {
  const QPainterPath word = FitLettering(
      LetteringOutline("Quorvik", LetteringFont(fonts::kSans), 0.05),
      {104, 146, kCentre.x(), 196});
  painter.setPen(QPen(palette::kIconDeepBlue, 5, Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(word);
  painter.fillPath(word, palette::kWhite);
}

}  // namespace

QImage DrawProgramIcon() {
  QImage image(kSize, kSize, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  DrawCentre(painter);
  DrawRing(painter);
  DrawWord(painter);
  return image;
}

}  // namespace board
