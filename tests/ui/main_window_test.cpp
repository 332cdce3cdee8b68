// The window as built: its start state, the page headers and pages, the port
// box and the server behind it (real sockets), the log after real HTTP
// requests, the keyboard and dragging rules, stacking and fonts.

#include "ui/main_window.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "message/message_store.h"
#include "net/message_server.h"
#include "tests/ui/loopback.h"
#include "ui/centring.h"
#include "ui/control_operations.h"
#include "ui/log_box.h"
#include "ui/page_container.h"
#include "ui/picture_box.h"
#include "ui/picture_button.h"
#include "ui/pictures/pictures.h"
#include "ui/png_to_qimage.h"

namespace board {
namespace {

using testing::AcceptsConnections;
using testing::Exchange;
using testing::FreePort;
using testing::PortState;
using testing::ProbePort;

template <class Control = QWidget>
Control& Named(const MainWindow& window, const char* name) {
  auto* control = window.findChild<Control*>(QString::fromUtf8(name));
  if (control == nullptr) qFatal("no control named %s", name);
  return *control;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void startState();
  void windowAttributes();
  void headersAndPagesSwitchTogether();
  void setCurrentPageClamps_data();
  void setCurrentPageClamps();
  void startServerListensOnTypedPort_data();
  void startServerListensOnTypedPort();
  void sameTextTwiceKeepsServing();
  void logShowsRequests();
  void minimiseKeepsServing();
  void destroyingTheWindowClosesEveryConnection();
  void escapeClosesFromEveryControl_data();
  void escapeClosesFromEveryControl();
  void tabVisitsVisibleStops_data();
  void tabVisitsVisibleStops();
  void dragging_data();
  void dragging();
  void stacking_data();
  void stacking();
  void fonts_data();
  void fonts();
  void closePressedThenReleasedOutsideKeepsRunning();
  void centredByIntegerDivision_data();
  void centredByIntegerDivision();

 private:
  // Moves the server off 19730 (which may be anyone's) to a free port.
  int MoveToFreePort();
  QWindow* Handle() { return window_->windowHandle(); }
  QPoint InWindow(const char* name, QPoint at);

  std::unique_ptr<QTemporaryDir> storeDirectory_;
  std::unique_ptr<MainWindow> window_;
};

void MainWindowTest::init() {
  storeDirectory_ = std::make_unique<QTemporaryDir>();
  const QByteArray directory = (storeDirectory_->path() + "/").toUtf8();
  window_ =
      std::make_unique<MainWindow>(MessageStore(Text(directory.constData())));
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  QApplication::setActiveWindow(window_.get());
}

void MainWindowTest::cleanup() {
  window_.reset();
  storeDirectory_.reset();
}

int MainWindowTest::MoveToFreePort() {
  const int port = FreePort();
  window_->PortBox().setText(QString::number(port));
  QTest::mouseClick(&window_->StartServerButton(), Qt::LeftButton);
  return port;
}

QPoint MainWindowTest::InWindow(const char* name, QPoint at) {
  return Named(*window_, name).mapTo(window_.get(), at);
}

void MainWindowTest::startState() {
  QCOMPARE(window_->Pages().CurrentPage(), 0);
  QVERIFY(Named(*window_, "编辑框2").isVisible());
  QVERIFY(Named(*window_, "标签2").isVisible());
  QVERIFY(!window_->Log().isVisible());
  QCOMPARE(window_->ApiTab().ShownPicture(), PngToQImage(ApiTabOnPicture()));
  QCOMPARE(window_->LogTab().ShownPicture(), PngToQImage(LogTabOffPicture()));
  QCOMPARE(window_->CloseButton().ShownPicture(),
           PngToQImage(CloseNormalPicture()));
  QCOMPARE(window_->MinimizeButton().ShownPicture(),
           PngToQImage(MinimizeNormalPicture()));
  QCOMPARE(window_->PortBox().text(), QStringLiteral("9988"));
  QCOMPARE(window_->PortBox().alignment(), Qt::AlignCenter);
  const QString longText(40000, QChar('7'));
  window_->PortBox().setText(longText);
  QCOMPARE(window_->PortBox().text(), longText);
  QCOMPARE(window_->Log().toPlainText(), QString());
  QCOMPARE(window_->Server().GetPort(), MessageServer::kDefaultPort);
  QCOMPARE(Named<QLineEdit>(*window_, "编辑框7").text(),
           QStringLiteral("查询留言信息"));
  QVERIFY(!Named(*window_, "编辑框7").isEnabled());
  QVERIFY(!Named(*window_, "编辑框1").isEnabled());
  QCOMPARE(Named<QLabel>(*window_, "标签3").text(),
           QStringLiteral("Quorvik API | Brantmoor论坛"));
}

void MainWindowTest::windowAttributes() {
  QCOMPARE(window_->windowTitle(),
           QStringLiteral("留言板api接口 精简版| Brantmoor"));
  QCOMPARE(window_->size(), QSize(360, 520));
  QCOMPARE(window_->minimumSize(), window_->maximumSize());
  QVERIFY(window_->windowFlags() & Qt::FramelessWindowHint);
  QVERIFY(window_->windowFlags() & Qt::WindowMinimizeButtonHint);
  QVERIFY(!(window_->windowFlags() & Qt::WindowStaysOnTopHint));
  QVERIFY(window_->parentWidget() == nullptr);
  QVERIFY(!window_->windowIcon().isNull());
  QCOMPARE(window_->windowIcon().availableSizes().value(0), QSize(256, 256));
  QCOMPARE(window_->ApiTab().cursor().shape(), Qt::PointingHandCursor);
  QCOMPARE(window_->LogTab().cursor().shape(), Qt::PointingHandCursor);
  QCOMPARE(window_->CloseButton().cursor().shape(), Qt::ArrowCursor);
  // The background's picture is drawn from the top left at natural size.
  const QImage background = PngToQImage(BackgroundPicture());
  QCOMPARE(window_->Background().Picture().size(), QSize(360, 640));
  // Rows 30 to 74 show nothing but the background.
  const QRect band(0, 30, 360, 45);
  QCOMPARE(window_->grab()
               .toImage()
               .convertToFormat(QImage::Format_RGB888)
               .copy(band),
           background.copy(band));
}

void MainWindowTest::headersAndPagesSwitchTogether() {
  const QImage apiOn = PngToQImage(ApiTabOnPicture());
  const QImage apiOff = PngToQImage(ApiTabOffPicture());
  const QImage logOn = PngToQImage(LogTabOnPicture());
  const QImage logOff = PngToQImage(LogTabOffPicture());
  for (int round = 0; round < 2; ++round) {
    QTest::mouseClick(&window_->LogTab(), Qt::LeftButton);
    QCOMPARE(window_->ApiTab().ShownPicture(), apiOff);
    QCOMPARE(window_->LogTab().ShownPicture(), logOn);
    QCOMPARE(window_->Pages().CurrentPage(), 1);
    QVERIFY(window_->Log().isVisible());
    QVERIFY(!Named(*window_, "编辑框2").isVisible());
    QVERIFY(!Named(*window_, "编辑框1").isVisible());
  }
  QTest::mouseClick(&window_->ApiTab(), Qt::LeftButton);
  QCOMPARE(window_->ApiTab().ShownPicture(), apiOn);
  QCOMPARE(window_->LogTab().ShownPicture(), logOff);
  QCOMPARE(window_->Pages().CurrentPage(), 0);
  QVERIFY(!window_->Log().isVisible());
  QVERIFY(Named(*window_, "编辑框1").isVisible());
}

void MainWindowTest::setCurrentPageClamps_data() {
  QTest::addColumn<int>("index");
  QTest::addColumn<int>("page");
  QTest::newRow("5 is the last page") << 5 << 1;
  QTest::newRow("-1 is the first page") << -1 << 0;
  QTest::newRow("1") << 1 << 1;
  QTest::newRow("int min") << std::numeric_limits<int>::min() << 0;
}

void MainWindowTest::setCurrentPageClamps() {
  QFETCH(int, index);
  QFETCH(int, page);
  SetCurrentPage(window_->Pages(), 1 - page);
  SetCurrentPage(window_->Pages(), index);
  QCOMPARE(window_->Pages().CurrentPage(), page);
  QCOMPARE(window_->Log().isVisible(), page == 1);
  QCOMPARE(Named(*window_, "标签2").isVisible(), page == 0);
  // The headers are the handlers' business, not the container's.
  QCOMPARE(window_->ApiTab().ShownPicture(), PngToQImage(ApiTabOnPicture()));
}

void MainWindowTest::startServerListensOnTypedPort_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<int>("port");
  QTest::newRow("9988") << QStringLiteral("9988") << 9988;
  QTest::newRow("space 8080abc") << QStringLiteral(" 8080abc") << 8080;
  QTest::newRow("abc") << QStringLiteral("abc") << 1;
  QTest::newRow("empty") << QString() << 1;
  QTest::newRow("-5") << QStringLiteral("-5") << 1;
  QTest::newRow("full-width 7777") << QStringLiteral("７７７７") << 7777;
}

void MainWindowTest::startServerListensOnTypedPort() {
  QFETCH(QString, typed);
  QFETCH(int, port);
  const PortState before = ProbePort(port);
  if (before == PortState::NotAllowed) QSKIP("this user may not listen there");
  if (before == PortState::Taken) QSKIP("the port is taken by another program");
  MoveToFreePort();

  window_->PortBox().setText(typed);
  QTest::mouseClick(&window_->StartServerButton(), Qt::LeftButton);
  QCOMPARE(window_->Server().GetPort(), port);
  QVERIFY(window_->Server().IsListening());
  QVERIFY(AcceptsConnections(port));
  QCOMPARE(window_->PortBox().text(), typed);

  // Moving on releases the port.
  MoveToFreePort();
  QVERIFY(!AcceptsConnections(port));
}

void MainWindowTest::sameTextTwiceKeepsServing() {
  const int port = MoveToFreePort();
  QTest::mouseClick(&window_->StartServerButton(), Qt::LeftButton);
  QCOMPARE(window_->Server().GetPort(), port);
  QVERIFY(Exchange(port, "GET /shanchu HTTP/1.1\r\n\r\n").contains("\r\n\r\n"));
}

void MainWindowTest::logShowsRequests() {
  const int port = MoveToFreePort();
  QTest::mouseClick(&window_->LogTab(), Qt::LeftButton);
  const QByteArray published = Exchange(
      port, "GET /fabu=%E4%BD%A0%E5%A5%BD HTTP/1.1\r\nHost: x\r\n\r\n");
  QVERIFY(published.endsWith("\xB7\xA2\xB2\xBC\xB3\xC9\xB9\xA6\r\n"));
  const QByteArray queried = Exchange(port, "GET /chaxun HTTP/1.1\r\n\r\n");
  QVERIFY(queried.endsWith("\r\n\r\n\xC4\xE3\xBA\xC3\r\n"));
  Exchange(port, "POST /fabu=x HTTP/1.1\r\n\r\n");
  Exchange(port, "GET /shanchu HTTP/1.1\r\n\r\n");
  QTest::qWait(2 * LogBox::kFlushIntervalMs);

  const QStringList lines = window_->Log().toPlainText().split('\n');
  QCOMPARE(lines.size(), 4);
  const QStringList suffixes = {QStringLiteral(" ： 发布成功 "),
                                QStringLiteral(" ： 你好"),
                                QStringLiteral(" ： 删除成功 ")};
  const QRegularExpression client(QStringLiteral("^127\\.0\\.0\\.1:\\d+$"));
  for (int i = 0; i < suffixes.size(); ++i) {
    QVERIFY2(lines[i].endsWith(suffixes[i]), qPrintable(lines[i]));
    const QString address = lines[i].chopped(suffixes[i].size());
    QVERIFY2(client.match(address).hasMatch(), qPrintable(address));
  }
  QCOMPARE(lines[3], QString());
}

void MainWindowTest::minimiseKeepsServing() {
  const int port = MoveToFreePort();
  QTest::mouseClick(&window_->MinimizeButton(), Qt::LeftButton);
  QVERIFY(window_->isMinimized());
  QVERIFY(!window_->isHidden());
  Exchange(port, "GET /shanchu HTTP/1.1\r\n\r\n");
  QTest::qWait(2 * LogBox::kFlushIntervalMs);
  QVERIFY(
      window_->Log().toPlainText().endsWith(QStringLiteral(" ： 删除成功 \n")));
}

void MainWindowTest::destroyingTheWindowClosesEveryConnection() {
  const int port = MoveToFreePort();
  testing::OpenConnection first(port);
  testing::OpenConnection second(port);
  QVERIFY(first.IsConnected() && second.IsConnected());
  QVERIFY(testing::PumpUntil(
      [this] { return window_->Server().Clients().Count() == 2; }));
  window_.reset();
  QVERIFY(first.WasClosedByPeer());
  QVERIFY(second.WasClosedByPeer());
  QVERIFY(!AcceptsConnections(port));
}

void MainWindowTest::escapeClosesFromEveryControl_data() {
  QTest::addColumn<QString>("control");
  QTest::addColumn<int>("page");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<bool>("closes");
  QTest::newRow("log box") << "编辑框8" << 1 << Qt::KeyboardModifiers() << true;
  QTest::newRow("port box")
      << "编辑框9" << 0 << Qt::KeyboardModifiers() << true;
  QTest::newRow("usage example")
      << "编辑框4" << 0 << Qt::KeyboardModifiers() << true;
  QTest::newRow("shift+escape")
      << "编辑框9" << 0 << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
  QTest::newRow("ctrl+escape")
      << "编辑框8" << 1 << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
}

void MainWindowTest::escapeClosesFromEveryControl() {
  QFETCH(QString, control);
  QFETCH(int, page);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(bool, closes);
  SetCurrentPage(window_->Pages(), page);
  QWidget& target = Named(*window_, control.toUtf8().constData());
  target.setFocus();
  QCOMPARE(QApplication::focusWidget(), &target);
  QTest::keyClick(&target, Qt::Key_Escape, modifiers);
  QCOMPARE(window_->isVisible(), !closes);
}

void MainWindowTest::tabVisitsVisibleStops_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<QStringList>("visited");
  const QStringList apiCycle = {"编辑框2", "编辑框4", "编辑框6", "编辑框9"};
  QTest::newRow("usage page") << 0 << Qt::KeyboardModifiers() << apiCycle;
  QTest::newRow("usage page backwards")
      << 0 << Qt::KeyboardModifiers(Qt::ShiftModifier)
      << QStringList{"编辑框6", "编辑框4", "编辑框2", "编辑框9"};
  QTest::newRow("log page")
      << 1 << Qt::KeyboardModifiers() << QStringList{"编辑框8", "编辑框9"};
}

void MainWindowTest::tabVisitsVisibleStops() {
  QFETCH(int, page);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(QStringList, visited);
  SetCurrentPage(window_->Pages(), page);
  window_->PortBox().setFocus();
  const Qt::Key key =
      modifiers & Qt::ShiftModifier ? Qt::Key_Backtab : Qt::Key_Tab;
  for (const QString& expected : visited) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    QVERIFY(QApplication::focusWidget() != nullptr);
    QCOMPARE(QApplication::focusWidget()->objectName(), expected);
  }
}

void MainWindowTest::dragging_data() {
  QTest::addColumn<QString>("control");
  QTest::addColumn<QPoint>("at");
  QTest::addColumn<bool>("moves");
  QTest::newRow("banner label") << "标签3" << QPoint(20, 12) << true;
  QTest::newRow("black background") << "图片框1" << QPoint(20, 150) << true;
  QTest::newRow("request label") << "标签1" << QPoint(10, 12) << true;
  QTest::newRow("example label") << "标签2" << QPoint(10, 12) << true;
  QTest::newRow("notice bar") << "图片框A" << QPoint(3, 15) << true;
  QTest::newRow("bottom line") << "图片框2" << QPoint(100, 1) << true;
  QTest::newRow("port box") << "编辑框9" << QPoint(10, 10) << false;
  QTest::newRow("page header") << "图形按钮1" << QPoint(10, 10) << false;
  QTest::newRow("white page area") << "选择夹1" << QPoint(150, 215) << false;
  QTest::newRow("start button") << "超级按钮1" << QPoint(10, 10) << false;
}

void MainWindowTest::dragging() {
  QFETCH(QString, control);
  QFETCH(QPoint, at);
  QFETCH(bool, moves);
  window_->move(100, 100);
  const QPoint start = window_->pos();
  const QPoint press = InWindow(control.toUtf8().constData(), at);
  const QPoint delta(40, press.y() > 260 ? -25 : 25);
  QTest::mousePress(Handle(), Qt::LeftButton, {}, press);
  QTest::mouseMove(Handle(), press + delta);
  const QPoint end = moves ? start + delta : start;
  QCOMPARE(window_->pos(), end);
  // The release happens where the pointer is, on the screen; in the moved
  // window's own coordinates that is where the press was.
  const QPoint pointer = window_->mapFromGlobal(start + press + delta);
  QTest::mouseRelease(Handle(), Qt::LeftButton, {}, pointer);
  QCOMPARE(window_->pos(), end);
  // After the release the window no longer follows the mouse.
  QTest::mouseMove(Handle(), pointer + QPoint(5, -5));
  QCOMPARE(window_->pos(), end);
}

void MainWindowTest::stacking_data() {
  QTest::addColumn<QPoint>("point");
  QTest::addColumn<QString>("topmost");
  QTest::newRow("close over minimise") << QPoint(331, 10) << "关闭";
  QTest::newRow("minimise") << QPoint(305, 10) << "最小化";
  QTest::newRow("log header over api header") << QPoint(179, 80) << "图形按钮2";
  QTest::newRow("api header") << QPoint(178, 80) << "图形按钮1";
  QTest::newRow("port box over pages") << QPoint(200, 450) << "编辑框9";
  QTest::newRow("bottom line") << QPoint(10, 519) << "图片框2";
  QTest::newRow("banner") << QPoint(10, 10) << "标签3";
  QTest::newRow("notice text in notice bar") << QPoint(100, 230) << "编辑框1";
  QTest::newRow("start button") << QPoint(8, 472) << "超级按钮1";
  QTest::newRow("background") << QPoint(350, 60) << "图片框1";
}

void MainWindowTest::stacking() {
  QFETCH(QPoint, point);
  QFETCH(QString, topmost);
  QWidget* child = window_->childAt(point);
  QVERIFY(child != nullptr);
  QCOMPARE(child->objectName(), topmost);
}

void MainWindowTest::fonts_data() {
  QTest::addColumn<QString>("control");
  QTest::addColumn<QString>("family");
  QTest::addColumn<int>("height");
  QTest::addColumn<bool>("bold");
  const QString yahei = QStringLiteral("WenQuanYi Micro Hei");
  const QString song = QStringLiteral("AR PL UMing CN");
  QTest::newRow("port box") << "编辑框9" << yahei << 14 << true;
  QTest::newRow("log box") << "编辑框8" << yahei << 12 << true;
  QTest::newRow("start button") << "超级按钮1" << yahei << 12 << false;
  QTest::newRow("banner") << "标签3" << yahei << 16 << true;
  QTest::newRow("notice") << "编辑框1" << yahei << 14 << true;
  QTest::newRow("example label") << "标签2" << song << 12 << true;
  QTest::newRow("request label") << "标签1" << song << 12 << true;
}

// The family that is actually used, so a missing font package shows here.
void MainWindowTest::fonts() {
  QFETCH(QString, control);
  QFETCH(QString, family);
  QFETCH(int, height);
  QFETCH(bool, bold);
  const QFont font = Named(*window_, control.toUtf8().constData()).font();
  const QFontInfo used(font);
  QCOMPARE(used.family(), family);
  QCOMPARE(font.pixelSize(), height);
  QCOMPARE(font.bold(), bold);
}

void MainWindowTest::closePressedThenReleasedOutsideKeepsRunning() {
  PictureButton& close = window_->CloseButton();
  const QPoint inside = close.mapTo(window_.get(), QPoint(15, 15));
  QTest::mouseMove(Handle(), inside);
  QCOMPARE(close.ShownPicture(), PngToQImage(CloseHoverPicture()));
  QTest::mousePress(Handle(), Qt::LeftButton, {}, inside);
  QCOMPARE(close.ShownPicture(), PngToQImage(ClosePressedPicture()));
  QTest::mouseMove(Handle(), QPoint(200, 150));
  QCOMPARE(close.ShownPicture(), PngToQImage(CloseNormalPicture()));
  QTest::mouseRelease(Handle(), Qt::LeftButton, {}, QPoint(200, 150));
  // Still here: the release outside fired nothing.
  QVERIFY(window_->isVisible());
}

void MainWindowTest::centredByIntegerDivision_data() {
  QTest::addColumn<QRect>("screen");
  QTest::addColumn<QPoint>("topLeft");
  QTest::newRow("1920 x 1080") << QRect(0, 0, 1920, 1080) << QPoint(780, 280);
  QTest::newRow("odd differences")
      << QRect(0, 0, 1025, 769) << QPoint(332, 124);
  QTest::newRow("screen not at the origin")
      << QRect(100, 50, 801, 601) << QPoint(320, 90);
  QTest::newRow("screen smaller than the window")
      << QRect(0, 0, 300, 401) << QPoint(-30, -59);
}

void MainWindowTest::centredByIntegerDivision() {
  QFETCH(QRect, screen);
  QFETCH(QPoint, topLeft);
  QCOMPARE(CentredTopLeft(screen, window_->size()), topLeft);
}

}  // namespace board

QTEST_MAIN(board::MainWindowTest)
#include "main_window_test.moc"
