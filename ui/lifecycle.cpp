#include "ui/lifecycle.h"

#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

#include "text/run_directory.h"
#include "ui/centring.h"
#include "ui/control_operations.h"
#include "ui/main_window.h"
#include "ui/termination_signals.h"

namespace board {
namespace {

// Where a window that cannot be made is reported: the window, at the
// start-up step that makes it.
constexpr int kMainWindowRoutine = 1;
constexpr int kCreateWindowStatement = 4;

std::unique_ptr<MainWindow> g_window;
bool g_ending = false;

void CreateWindow() {
  try {
    g_window = std::make_unique<MainWindow>();
  } catch (const std::exception&) {
    ReportFatalError(
        "\xD4\xD8\xC8\xEB\xC6\xF4\xB6\xAF\xB4\xB0\xBF\xDA"
        "\xCA\xA7\xB0\xDC",  // 载入启动窗口失败
        kMainWindowRoutine, kCreateWindowStatement);
  }
}

void ShowCentred(MainWindow& window) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    window.move(CentredTopLeft(screen->geometry(), window.size()));
  }
  window.show();
  window.activateWindow();
}

void CloseWindowIfAny() {
  if (g_window && !g_ending) g_window->close();
}

// Everything EndProgram does before the exit itself.
void ReleaseEverything() {
  g_ending = true;
  g_window.reset();
}

}  // namespace

int RunProgram(int argc, char* argv[]) { return RunProgram(argc, argv, {}); }

int RunProgram(int argc, char* argv[],
               const std::function<void(MainWindow&)>& afterShown) {
  InstallFatalErrorReport();
  EnterRunDirectory();
  TerminationSignals terminationSignals;
  QApplication application(argc, argv);
  CreateWindow();
  SetCurrentPage(g_window->Pages(), 0);
  ShowCentred(*g_window);
  // The window manager's close request, Escape and the termination signals
  // all close the window; the last window closed ends the loop.
  TerminationNotifier terminationNotifier(terminationSignals,
                                          &CloseWindowIfAny);
  if (afterShown) afterShown(*g_window);
  application.exec();
  ReleaseEverything();
  return 0;
}

void EndProgram(int exitCode) {
  ReleaseEverything();
  std::fflush(nullptr);
  // Nothing may run after this point: EndProgram is called from inside
  // handlers of the window it has just destroyed.
  std::_Exit(exitCode);
}

}  // namespace board
