// The picture button's states, the picture it shows in each, and when its
// click fires, driven through the window as real mouse input would be.

#include "ui/picture_button.h"

#include <QTest>
#include <QWindow>

#include "ui/pictures/pictures.h"
#include "ui/png_to_qimage.h"

namespace board {
namespace {

constexpr QPoint kButtonAt(50, 20);
const QPoint kInside = kButtonAt + QPoint(15, 15);
const QPoint kOutside(5, 5);

}  // namespace

class PictureButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void clickFiresOnlyOnReleaseInside_data();
  void clickFiresOnlyOnReleaseInside();
  void showsThePictureOfItsState();
  void missingPicturesFallBackToNormalThenBlack();
  void disabledButtonNeverFires();

 private:
  QWindow* Window() { return host_->windowHandle(); }

  std::unique_ptr<QWidget> host_;
  PictureButton* button_ = nullptr;
  int clicks_ = 0;
};

void PictureButtonTest::init() {
  host_ = std::make_unique<QWidget>();
  host_->setFixedSize(200, 100);
  button_ = new PictureButton(host_.get());  // owned by host_
  button_->setGeometry(QRect(kButtonAt, QSize(30, 30)));
  button_->SetPicture(PictureButton::Slot::Normal, CloseNormalPicture());
  button_->SetPicture(PictureButton::Slot::Over, CloseHoverPicture());
  button_->SetPicture(PictureButton::Slot::Pressed, ClosePressedPicture());
  clicks_ = 0;
  button_->SetClickHandler([this] { ++clicks_; });
  host_->show();
  QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
  QTest::mouseMove(Window(), kOutside);
}

void PictureButtonTest::cleanup() { host_.reset(); }

void PictureButtonTest::clickFiresOnlyOnReleaseInside_data() {
  QTest::addColumn<QList<QPoint>>("movesWhilePressed");
  QTest::addColumn<QPoint>("release");
  QTest::addColumn<int>("clicks");
  QTest::newRow("press and release inside") << QList<QPoint>{} << kInside << 1;
  QTest::newRow("release outside") << QList<QPoint>{kOutside} << kOutside << 0;
  QTest::newRow("out and back in")
      << QList<QPoint>{kOutside, kInside} << kInside << 1;
  QTest::newRow("release on the last pixel row")
      << QList<QPoint>{} << kButtonAt + QPoint(29, 29) << 1;
  QTest::newRow("release one pixel beyond")
      << QList<QPoint>{kButtonAt + QPoint(30, 29)} << kButtonAt + QPoint(30, 29)
      << 0;
}

void PictureButtonTest::clickFiresOnlyOnReleaseInside() {
  QFETCH(QList<QPoint>, movesWhilePressed);
  QFETCH(QPoint, release);
  QFETCH(int, clicks);
  QTest::mouseMove(Window(), kInside);
  QTest::mousePress(Window(), Qt::LeftButton, {}, kInside);
  QCOMPARE(clicks_, 0);
  for (const QPoint& point : movesWhilePressed)
    QTest::mouseMove(Window(), point);
  QTest::mouseRelease(Window(), Qt::LeftButton, {}, release);
  QCOMPARE(clicks_, clicks);
}

void PictureButtonTest::showsThePictureOfItsState() {
  const QImage normal = PngToQImage(CloseNormalPicture());
  const QImage over = PngToQImage(CloseHoverPicture());
  const QImage pressed = PngToQImage(ClosePressedPicture());
  QCOMPARE(button_->ShownPicture(), normal);

  QTest::mouseMove(Window(), kInside);
  QCOMPARE(button_->CurrentState(), PictureButton::State::Over);
  QCOMPARE(button_->ShownPicture(), over);

  QTest::mousePress(Window(), Qt::LeftButton, {}, kInside);
  QCOMPARE(button_->CurrentState(), PictureButton::State::Pressed);
  QCOMPARE(button_->ShownPicture(), pressed);

  QTest::mouseMove(Window(), kOutside);
  QCOMPARE(button_->CurrentState(), PictureButton::State::Normal);
  QCOMPARE(button_->ShownPicture(), normal);

  QTest::mouseMove(Window(), kInside);
  QCOMPARE(button_->ShownPicture(), pressed);
  QTest::mouseRelease(Window(), Qt::LeftButton, {}, kInside);
  QCOMPARE(button_->CurrentState(), PictureButton::State::Normal);

  // What is drawn is the chosen picture at the top left on black.
  QTest::mouseMove(Window(), kInside + QPoint(1, 1));
  QCOMPARE(button_->CurrentState(), PictureButton::State::Over);
  QCOMPARE(button_->grab().toImage().convertToFormat(QImage::Format_RGB888),
           over);
}

void PictureButtonTest::missingPicturesFallBackToNormalThenBlack() {
  PictureButton tab(host_.get());
  tab.setGeometry(120, 20, 120, 30);
  tab.show();
  QImage black(120, 30, QImage::Format_RGB888);
  black.fill(Qt::black);
  QCOMPARE(tab.grab().toImage().convertToFormat(QImage::Format_RGB888), black);

  tab.SetPicture(PictureButton::Slot::Normal, ApiTabOnPicture());
  const QImage normal = PngToQImage(ApiTabOnPicture());
  QTest::mouseMove(Window(), QPoint(150, 30));
  QCOMPARE(tab.CurrentState(), PictureButton::State::Over);
  QCOMPARE(tab.ShownPicture(), normal);
  QTest::mousePress(Window(), Qt::LeftButton, {}, QPoint(150, 30));
  QCOMPARE(tab.CurrentState(), PictureButton::State::Pressed);
  QCOMPARE(tab.ShownPicture(), normal);
  QTest::mouseRelease(Window(), Qt::LeftButton, {}, QPoint(150, 30));
}

void PictureButtonTest::disabledButtonNeverFires() {
  button_->SetPicture(PictureButton::Slot::Disabled, MinimizeNormalPicture());
  button_->setEnabled(false);
  QCOMPARE(button_->ShownPicture(), PngToQImage(MinimizeNormalPicture()));
  QTest::mouseMove(Window(), kInside);
  QTest::mousePress(Window(), Qt::LeftButton, {}, kInside);
  QCOMPARE(button_->CurrentState(), PictureButton::State::Normal);
  QTest::mouseRelease(Window(), Qt::LeftButton, {}, kInside);
  QCOMPARE(clicks_, 0);
}

}  // namespace board

QTEST_MAIN(board::PictureButtonTest)
#include "picture_button_test.moc"
