#pragma once

#include <QWidget>

#include "text/byte_seq.h"
#include "text/text.h"

class QLineEdit;

namespace board {

class LogBox;
class MainWindow;
class PageContainer;
class PictureButton;

// A fresh copy of the box's text, the empty Text for an empty box.
Text ReadText(const QLineEdit& box);

// Puts the caret at the end of the box's text, scrolls to it and adds text
// there; no line end is added.
void AppendText(LogBox& box, const Text& text);

// Stores, decodes and at once shows the button's picture for its normal state.
void SetNormalPicture(PictureButton& button, const ByteSeq& picture);

// Shows the page at index, clamped to the pages that exist, and hides the
// others.
void SetCurrentPage(PageContainer& container, int index);

// The platform's handle of the window.
WId NativeHandle(MainWindow& window);

}  // namespace board
