#pragma once

#include <QWidget>
#include <memory>

#include "message/message_store.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace board {

class LogBox;
class MessageServer;
class PageContainer;
class PictureBox;
class PictureButton;
class RequestDispatcher;
class ServerAdapter;
class ServerNotifier;
class WindowDragger;
class KeyboardRule;

// The program's one window: frameless, 360 x 520, with the usage page and the
// log page, the port box and the server. It is created hidden; the server
// listens from the moment the window exists. Controls carry their names as
// object names ("编辑框9", "关闭", ...).
class MainWindow : public QWidget {
 public:
  // The message store lies beside the run directory.
  MainWindow();
  explicit MainWindow(MessageStore store);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  QLineEdit& PortBox() const { return *portBox_; }  // 编辑框9
  QPushButton& StartServerButton() const { return *startButton_; }  // 超级按钮1
  LogBox& Log() const { return *logBox_; }                      // 编辑框8
  PictureButton& CloseButton() const { return *closeButton_; }  // 关闭
  PictureButton& MinimizeButton() const { return *minimizeButton_; }  // 最小化
  PictureButton& ApiTab() const { return *apiTab_; }       // 图形按钮1
  PictureButton& LogTab() const { return *logTab_; }       // 图形按钮2
  PageContainer& Pages() const { return *pages_; }         // 选择夹1
  PictureBox& Background() const { return *background_; }  // 图片框1
  MessageServer& Server() const { return *server_; }       // 服务器1

 private:
  void BuildControls();
  void BuildTitleBand();
  void BuildPageHeaders();
  void BuildPages();
  void BuildApiPage(QWidget& page);
  void BuildLogPage(QWidget& page);
  void BuildPortRow();
  void SetStackingAndTabOrder();
  void BindHandlers();

  MessageStore store_;
  std::unique_ptr<MessageServer> server_;
  std::unique_ptr<ServerAdapter> serverAdapter_;
  std::unique_ptr<RequestDispatcher> dispatcher_;
  std::unique_ptr<ServerNotifier> notifier_;
  std::unique_ptr<WindowDragger> dragger_;
  std::unique_ptr<KeyboardRule> keyboardRule_;

  // Owned by their parents, as Qt widgets are.
  PictureBox* background_ = nullptr;         // 图片框1
  PictureButton* closeButton_ = nullptr;     // 关闭
  PictureButton* minimizeButton_ = nullptr;  // 最小化
  QLabel* banner_ = nullptr;                 // 标签3
  PictureButton* apiTab_ = nullptr;          // 图形按钮1
  PictureButton* logTab_ = nullptr;          // 图形按钮2
  PageContainer* pages_ = nullptr;           // 选择夹1
  LogBox* logBox_ = nullptr;                 // 编辑框8
  QLineEdit* portBox_ = nullptr;             // 编辑框9
  QPushButton* startButton_ = nullptr;       // 超级按钮1
  PictureBox* bottomLine_ = nullptr;         // 图片框2
  QWidget* apiPage_ = nullptr;
  QWidget* logPage_ = nullptr;
  QLineEdit* apiExamples_[3] = {};  // 编辑框2, 编辑框4, 编辑框6
};

}  // namespace board
