#include "ui/window_commands.h"

#include "net/message_server.h"
#include "text/text_operations.h"
#include "ui/control_operations.h"
#include "ui/lifecycle.h"
#include "ui/main_window.h"
#include "ui/minimize_window.h"
#include "ui/pictures/pictures.h"

namespace board {

void OnCloseClicked(MainWindow& /*window*/) { EndProgram(0); }

void OnMinimizeClicked(MainWindow& window) {
  const WId handle = NativeHandle(window);
  const bool minimised = CloseWindow(handle);
  static_cast<void>(minimised);
}

void OnStartServerClicked(MainWindow& window) {
  Text text = ReadText(window.PortBox());
  const int port = TextToInt(text);
  text = Text();
  window.Server().SetPort(port);
}

// Both headers first, then the page, so the selected look always stands on
// the header of the page being shown.
void OnLogTabClicked(MainWindow& window) {
  SetNormalPicture(window.ApiTab(), ApiTabOffPicture());
  SetNormalPicture(window.LogTab(), LogTabOnPicture());
  SetCurrentPage(window.Pages(), 1);
}

void OnApiTabClicked(MainWindow& window) {
  SetNormalPicture(window.ApiTab(), ApiTabOnPicture());
  SetNormalPicture(window.LogTab(), LogTabOffPicture());
  SetCurrentPage(window.Pages(), 0);
}

}  // namespace board
