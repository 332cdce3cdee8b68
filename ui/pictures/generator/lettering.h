#pragma once

#include <QFont>
#include <QPainterPath>
#include <QString>

namespace board {

// Where a line of lettering must land: its ink spans exactly the pixel rows
// first_row to last_row, centred on centre_x, and no wider than max_width.
struct LetteringBox {
  int first_row;
  int last_row;
  double centre_x;
  double max_width;
};

// A font to cut lettering from, at a size large enough that the outlines'
// curves stay smooth when they are scaled down.
QFont LetteringFont(const QString& family);

// The outline of text. A weight above zero thickens every stroke by that
// fraction of the font's size, for families that have no bold face.
QPainterPath LetteringOutline(const QString& text, const QFont& font,
                              double weight = 0);

// The outline scaled and moved so that its ink fills the rows of box.
// Lettering too wide for the box at that height is narrowed, not shortened.
QPainterPath FitLettering(const QPainterPath& outline, const LetteringBox& box);

}  // namespace board
