#pragma once

namespace board {

class MainWindow;

// The handlers of the window's five buttons.

// 关闭: ends the program with exit code 0.
void OnCloseClicked(MainWindow& window);
// 最小化: minimises the window; the server keeps serving.
void OnMinimizeClicked(MainWindow& window);
// 启动服务器: moves the server to the port typed into 编辑框9.
void OnStartServerClicked(MainWindow& window);
// 图形按钮1: shows the usage page and marks its header selected.
void OnApiTabClicked(MainWindow& window);
// 图形按钮2: shows the log page and marks its header selected.
void OnLogTabClicked(MainWindow& window);

}  // namespace board
