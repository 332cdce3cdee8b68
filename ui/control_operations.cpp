#include "ui/control_operations.h"

#include <QLineEdit>

#include "ui/log_box.h"
#include "ui/main_window.h"
#include "ui/page_container.h"
#include "ui/picture_button.h"
#include "ui/text_conversion.h"

namespace board {

Text ReadText(const QLineEdit& box) { return QStringToText(box.text()); }

void AppendText(LogBox& box, const Text& text) { box.AppendText(text); }

void SetNormalPicture(PictureButton& button, const ByteSeq& picture) {
  button.SetPicture(PictureButton::Slot::Normal, picture);
}

void SetCurrentPage(PageContainer& container, int index) {
  container.SetCurrentPage(index);
}

WId NativeHandle(MainWindow& window) { return window.winId(); }

}  // namespace board
