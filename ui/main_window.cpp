#include "ui/main_window.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <limits>

#include "message/request_dispatcher.h"
#include "net/message_server.h"
#include "ui/control_styles.h"
#include "ui/fonts.h"
#include "ui/keyboard_rule.h"
#include "ui/log_box.h"
#include "ui/page_container.h"
#include "ui/picture_box.h"
#include "ui/picture_button.h"
#include "ui/pictures/pictures.h"
#include "ui/png_to_qimage.h"
#include "ui/server_adapter.h"
#include "ui/server_notifier.h"
#include "ui/window_commands.h"
#include "ui/window_dragger.h"

namespace board {
namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 520;

template <class Control, class... Args>
Control* AddControl(QWidget& parent, const QString& name, QRect geometry,
                    Args&&... args) {
  auto* control = new Control(&parent, std::forward<Args>(args)...);
  control->setObjectName(name);
  control->setGeometry(geometry);
  return control;
}

QLineEdit* AddLineEdit(QWidget& parent, const QString& name, QRect geometry,
                       const QString& text, const QString& style) {
  auto* edit = AddControl<QLineEdit>(parent, name, geometry);
  // No length limit of its own (Qt's default stops at 32767 characters).
  edit->setMaxLength(std::numeric_limits<int>::max());
  edit->setText(text);
  edit->setAlignment(Qt::AlignCenter);
  edit->setStyleSheet(style);
  return edit;
}

// A disabled box cannot be focused, so it is no Tab stop either.
QLineEdit* AddCaption(QWidget& parent, const QString& name, QRect geometry,
                      const QString& text) {
  QLineEdit* edit =
      AddLineEdit(parent, name, geometry, text, CaptionEditStyle());
  edit->setEnabled(false);
  return edit;
}

QLabel* AddLabel(QWidget& parent, const QString& name, QRect geometry,
                 const QString& text, Qt::Alignment alignment) {
  auto* label = AddControl<QLabel>(parent, name, geometry);
  label->setText(text);
  label->setAlignment(alignment);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(false);
  return label;
}

PictureButton* AddPictureButton(QWidget& parent, const QString& name,
                                QRect geometry, Qt::CursorShape cursor) {
  auto* button = AddControl<PictureButton>(parent, name, geometry);
  button->setCursor(cursor);
  return button;
}

QIcon ProgramIconImage() {
  return QIcon(QPixmap::fromImage(PngToQImageWithAlpha(ProgramIcon())));
}

}  // namespace

MainWindow::MainWindow() : MainWindow(MessageStore()) {}

MainWindow::MainWindow(MessageStore store)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint |
                           Qt::WindowMinimizeButtonHint),
      store_(std::move(store)) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("留言板api接口 精简版| Brantmoor"));
  setWindowIcon(ProgramIconImage());
  setFixedSize(kWidth, kHeight);
  // 服务器1 has no surface; it listens as soon as it exists.
  server_ = std::make_unique<MessageServer>();
  serverAdapter_ = std::make_unique<ServerAdapter>(*server_);
  dragger_ = std::make_unique<WindowDragger>(*this);
  keyboardRule_ = std::make_unique<KeyboardRule>(*this);
  BuildControls();
  dispatcher_ =
      std::make_unique<RequestDispatcher>(*serverAdapter_, *logBox_, store_);
  notifier_ = std::make_unique<ServerNotifier>(*server_);
  BindHandlers();
}

// The server goes first, closing every connection while the log box it
// writes to still exists; the controls follow with the QWidget base.
MainWindow::~MainWindow() {
  notifier_.reset();
  dispatcher_.reset();
  serverAdapter_.reset();
  server_.reset();
}

void MainWindow::BuildControls() {
  background_ = AddControl<PictureBox>(*this, QStringLiteral("图片框1"),
                                       QRect(0, 0, kWidth, kHeight), Qt::black);
  background_->SetPicture(BackgroundPicture());
  dragger_->Watch(*background_);
  BuildTitleBand();
  BuildPageHeaders();
  BuildPages();
  BuildPortRow();
  bottomLine_ = AddControl<PictureBox>(*background_, QStringLiteral("图片框2"),
                                       QRect(0, 518, 360, 2), Qt::black);
  dragger_->Watch(*bottomLine_);
  SetStackingAndTabOrder();
}

void MainWindow::BuildTitleBand() {
  banner_ =
      AddLabel(*background_, QStringLiteral("标签3"), QRect(7, 3, 249, 24),
               QStringLiteral("Quorvik API | Brantmoor论坛"),
               Qt::AlignLeft | Qt::AlignVCenter);
  banner_->setFont(YaheiFont(16, true));
  banner_->setStyleSheet(LabelStyle("#FFFFFF", "#000000"));
  dragger_->Watch(*banner_);

  minimizeButton_ = AddPictureButton(*background_, QStringLiteral("最小化"),
                                     QRect(304, 0, 30, 30), Qt::ArrowCursor);
  minimizeButton_->SetPicture(PictureButton::Slot::Normal,
                              MinimizeNormalPicture());
  minimizeButton_->SetPicture(PictureButton::Slot::Over,
                              MinimizeHoverPicture());
  minimizeButton_->SetPicture(PictureButton::Slot::Pressed,
                              MinimizePressedPicture());

  // A child of the window itself, so above the background and all in it.
  closeButton_ = AddPictureButton(*this, QStringLiteral("关闭"),
                                  QRect(330, 0, 30, 30), Qt::ArrowCursor);
  closeButton_->SetPicture(PictureButton::Slot::Normal, CloseNormalPicture());
  closeButton_->SetPicture(PictureButton::Slot::Over, CloseHoverPicture());
  closeButton_->SetPicture(PictureButton::Slot::Pressed, ClosePressedPicture());
}

void MainWindow::BuildPageHeaders() {
  apiTab_ = AddPictureButton(*background_, QStringLiteral("图形按钮1"),
                             QRect(60, 75, 120, 30), Qt::PointingHandCursor);
  apiTab_->SetPicture(PictureButton::Slot::Normal, ApiTabOnPicture());
  logTab_ = AddPictureButton(*background_, QStringLiteral("图形按钮2"),
                             QRect(179, 75, 120, 30), Qt::PointingHandCursor);
  logTab_->SetPicture(PictureButton::Slot::Normal, LogTabOffPicture());
}

void MainWindow::BuildPages() {
  pages_ = AddControl<PageContainer>(*background_, QStringLiteral("选择夹1"),
                                     QRect(0, 216, 360, 240));
  // A press on the white area is the container's, never a drag.
  pages_->setAttribute(Qt::WA_NoMousePropagation);
  apiPage_ = pages_->AddPage(QStringLiteral("Api说明"));
  logPage_ = pages_->AddPage(QStringLiteral("日志输出"));
  BuildApiPage(*apiPage_);
  BuildLogPage(*logPage_);
}

void MainWindow::BuildApiPage(QWidget& page) {
  QLabel* example = AddLabel(
      page, QStringLiteral("标签2"), QRect(0, 176, 359, 24),
      QStringLiteral("http://127.0.0.1:9988/fabu=123"), Qt::AlignCenter);
  example->setFont(SongFont(12, true));
  example->setStyleSheet(LabelStyle("#FFFFFF", "#000000"));
  dragger_->Watch(*example);

  const struct {
    int top;
    const char* captionName;
    const char* caption;
    const char* addressName;
    const char* address;
  } rows[] = {
      {144, "编辑框7", "查询留言信息", "编辑框6",
       "http://服务器IP:端口/chaxun"},
      {112, "编辑框5", "删除留言信息", "编辑框4",
       "http://服务器IP:端口/shanchu"},
      {80, "编辑框3", "发布留言信息", "编辑框2",
       "http://服务器IP:端口/fabu=文本"},
  };
  int index = 2;
  for (const auto& row : rows) {
    AddCaption(page, QString::fromUtf8(row.captionName),
               QRect(240, row.top, 112, 24), QString::fromUtf8(row.caption));
    apiExamples_[index--] = AddLineEdit(
        page, QString::fromUtf8(row.addressName), QRect(8, row.top, 224, 24),
        QString::fromUtf8(row.address), OneLineEditStyle());
  }

  QLabel* requestAddress =
      AddLabel(page, QStringLiteral("标签1"), QRect(8, 48, 64, 24),
               QStringLiteral("请求地址："), Qt::AlignLeft | Qt::AlignVCenter);
  requestAddress->setFont(SongFont(12, true));
  requestAddress->setStyleSheet(LabelStyle("#000000", "#FFFFFF"));
  dragger_->Watch(*requestAddress);

  auto* notice = AddControl<PictureBox>(page, QStringLiteral("图片框A"),
                                        QRect(32, 8, 300, 30), Qt::white);
  notice->SetPicture(NoticeBarPicture());
  dragger_->Watch(*notice);
  QLineEdit* noticeText =
      AddLineEdit(*notice, QStringLiteral("编辑框1"), QRect(9, 2, 282, 26),
                  QStringLiteral("API均为GET访问方式"), NoticeEditStyle());
  noticeText->setFont(YaheiFont(14, true));
  noticeText->setEnabled(false);
  noticeText->setFocusPolicy(Qt::NoFocus);
}

void MainWindow::BuildLogPage(QWidget& page) {
  logBox_ = AddControl<LogBox>(page, QStringLiteral("编辑框8"),
                               QRect(5, 4, 350, 211));
  logBox_->setFont(YaheiFont(12, true));
  logBox_->setStyleSheet(LogEditStyle());
}

void MainWindow::BuildPortRow() {
  portBox_ = AddLineEdit(*background_, QStringLiteral("编辑框9"),
                         QRect(192, 442, 152, 29), QStringLiteral("9988"),
                         OneLineEditStyle());
  portBox_->setFont(YaheiFont(14, true));

  startButton_ = AddControl<QPushButton>(
      *background_, QStringLiteral("超级按钮1"), QRect(8, 472, 336, 32));
  startButton_->setText(QStringLiteral("启动服务器"));
  startButton_->setFont(YaheiFont(12, false));
  startButton_->setStyleSheet(StartButtonStyle());
  startButton_->setFocusPolicy(Qt::ClickFocus);
  startButton_->setAutoDefault(false);
  startButton_->setDefault(false);
}

// Qt draws later siblings above earlier ones, so each control is raised from
// the bottom of the list up; the first one named ends on top.
void MainWindow::SetStackingAndTabOrder() {
  for (QWidget* control :
       {static_cast<QWidget*>(apiTab_), static_cast<QWidget*>(logTab_),
        static_cast<QWidget*>(pages_), static_cast<QWidget*>(minimizeButton_),
        static_cast<QWidget*>(banner_), static_cast<QWidget*>(startButton_),
        static_cast<QWidget*>(bottomLine_), static_cast<QWidget*>(portBox_)}) {
    control->raise();
  }
  closeButton_->raise();

  QWidget::setTabOrder(portBox_, apiExamples_[0]);
  QWidget::setTabOrder(apiExamples_[0], apiExamples_[1]);
  QWidget::setTabOrder(apiExamples_[1], apiExamples_[2]);
  QWidget::setTabOrder(apiExamples_[2], logBox_);
  portBox_->setFocus();
}

void MainWindow::BindHandlers() {
  server_->Bind(MessageServer::DataArrival,
                [this] { dispatcher_->OnServerDataArrival(); });
  QObject::connect(startButton_, &QPushButton::clicked, this,
                   [this] { OnStartServerClicked(*this); });
  closeButton_->SetClickHandler([this] { OnCloseClicked(*this); });
  minimizeButton_->SetClickHandler([this] { OnMinimizeClicked(*this); });
  apiTab_->SetClickHandler([this] { OnApiTabClicked(*this); });
  logTab_->SetClickHandler([this] { OnLogTabClicked(*this); });
}

}  // namespace board
