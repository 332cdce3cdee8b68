#pragma once

#include <QObject>
#include <QWidget>

namespace board {

// Sees every key meant for the window or one of its controls before the
// focused control does: Escape without Ctrl, Shift or Alt asks the window to
// close, whichever control has the focus. Tab and Shift+Tab are left to Qt's
// focus chain, which visits the visible, enabled Tab stops.
class KeyboardRule : public QObject {
 public:
  explicit KeyboardRule(QWidget& window);
  ~KeyboardRule() override;
  KeyboardRule(const KeyboardRule&) = delete;
  KeyboardRule& operator=(const KeyboardRule&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool IsForWindow(QObject* watched) const;

  QWidget& window_;
};

}  // namespace board
