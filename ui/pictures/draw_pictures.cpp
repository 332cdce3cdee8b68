// Draws the window's pictures and the program icon into a directory, as PNG
// files. The files are committed; this program runs only when the look is
// changed.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>
#include <functional>
#include <vector>

#include "ui/pictures/generator/drawings.h"
#include "ui/pictures/generator/palette.h"

namespace board {
namespace {

struct Picture {
  const char* file;
  std::function<QImage()> draw;
};

std::vector<Picture> AllPictures() {
  using enum TabSide;
  using enum TabLook;
  const QString api = QStringLiteral("Api说明");
  const QString log = QStringLiteral("日志输出");
  return {
      {"background.png", DrawBackground},
      {"notice_bar.png", DrawNoticeBar},
      {"api_tab_on.png", [=] { return DrawTab(api, kLeft, kSelected); }},
      {"api_tab_off.png", [=] { return DrawTab(api, kLeft, kUnselected); }},
      {"log_tab_on.png", [=] { return DrawTab(log, kRight, kSelected); }},
      {"log_tab_off.png", [=] { return DrawTab(log, kRight, kUnselected); }},
      {"close_normal.png", [] { return DrawCloseButton(palette::kWhite); }},
      {"close_hover.png", [] { return DrawCloseButton(palette::kHover); }},
      {"close_pressed.png", [] { return DrawCloseButton(palette::kPressed); }},
      {"minimize_normal.png",
       [] { return DrawMinimizeButton(palette::kWhite); }},
      {"minimize_hover.png",
       [] { return DrawMinimizeButton(palette::kHover); }},
      {"minimize_pressed.png",
       [] { return DrawMinimizeButton(palette::kPressed); }},
      {"program_icon.png", DrawProgramIcon},
  };
}

// Opaque pictures are stored as 8-bit RGB, so the files carry no alpha
// channel at all; the icon keeps its alpha.
QImage StorageForm(const QImage& image) {
  return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_RGBA8888
                                                       : QImage::Format_RGB888);
}

bool WritePictures(const QDir& directory) {
  for (const Picture& picture : AllPictures()) {
    const QString path = directory.filePath(picture.file);
    if (!StorageForm(picture.draw()).save(path, "PNG", 9)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return false;
    }
  }
  return true;
}

}  // namespace
}  // namespace board

int main(int argc, char** argv) {
  // Drawing needs the font database but no screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
    return 2;
  }
  const QDir directory(QString::fromLocal8Bit(argv[1]));
  if (!directory.exists() && !QDir().mkpath(directory.path())) {
    std::fprintf(stderr, "cannot create %s\n", argv[1]);
    return 1;
  }
  return board::WritePictures(directory) ? 0 : 1;
}
