// Renders the window to two PNG files for people to look at: the usage page,
// and the log page after a few real requests. Used by scripts/screenshot.

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "message/message_store.h"
#include "tests/ui/loopback.h"
#include "ui/log_box.h"
#include "ui/main_window.h"
#include "ui/picture_button.h"

namespace {

bool Save(board::MainWindow& window, const QString& path) {
  QCoreApplication::processEvents();
  return window.grab().save(path, "PNG");
}

void SendRequests(int port) {
  const char* requests[] = {
      "GET /fabu=%E4%BD%A0%E5%A5%BD HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
      "GET /chaxun HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
      "GET /shanchu HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
      "GET /fabu=hello HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
      "GET /chaxun HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
  };
  for (const char* request : requests) {
    board::testing::Exchange(port, request);
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-DIRECTORY\n", argv[0]);
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[1]);
  QTemporaryDir storeDirectory;
  board::MainWindow window(board::MessageStore(board::Text(
      (storeDirectory.path() + "/").toLocal8Bit().toStdString().c_str())));
  window.show();
  const int port = board::testing::FreePort();
  window.PortBox().setText(QString::number(port));
  window.StartServerButton().click();
  window.PortBox().setText(QStringLiteral("9988"));
  if (!Save(window, output + "/screenshot-api.png")) return 1;

  QTest::mouseClick(&window.LogTab(), Qt::LeftButton);
  SendRequests(port);
  window.Log().Flush();
  if (!Save(window, output + "/screenshot-log.png")) return 1;
  std::printf("%s/screenshot-api.png\n%s/screenshot-log.png\n", argv[1],
              argv[1]);
  return 0;
}
