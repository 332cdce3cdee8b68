#include <QApplication>
#include <QMessageBox>

#include "text/allocation.h"
#include "ui/fatal_error_text.h"
#include "ui/lifecycle.h"
#include "ui/text_conversion.h"

namespace board {
namespace {

// A report may come before the program made its application object (or
// after it is gone); the box needs one.
void EnsureApplication() {
  if (QApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "message-board";
  static char* argv[] = {name, nullptr};
  // Never destroyed: the process ends right after the box.
  static QApplication application(argc, argv);
}

void ReportThroughBox(const char* message, int routine, int statement) {
  ReportFatalError(Text(message), routine, statement);
}

}  // namespace

void ReportFatalError(const Text& message, int routine, int statement) {
  // A failure while reporting (say, no memory for the box) ends at once.
  static bool reporting = false;
  if (reporting) EndProgram(-1);
  reporting = true;

  EnsureApplication();
  QMessageBox box(QMessageBox::Critical, QStringLiteral("错误"),
                  TextToQString(FatalErrorText(message, routine, statement)),
                  QMessageBox::Ok, nullptr);
  box.setTextFormat(Qt::PlainText);
  box.exec();
  EndProgram(-1);
}

void InstallFatalErrorReport() { SetFatalErrorHandler(&ReportThroughBox); }

}  // namespace board
