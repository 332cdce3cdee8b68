#include "ui/keyboard_rule.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace board {
namespace {

bool IsPlainEscape(const QKeyEvent& key) {
  constexpr Qt::KeyboardModifiers kBlocking =
      Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier;
  return key.key() == Qt::Key_Escape && !(key.modifiers() & kBlocking);
}

}  // namespace

// Keys go to whichever control has the focus, so the rule watches them all
// at the application and keeps those meant for this window.
KeyboardRule::KeyboardRule(QWidget& window) : window_(window) {
  QCoreApplication::instance()->installEventFilter(this);
}

KeyboardRule::~KeyboardRule() {
  if (QCoreApplication* application = QCoreApplication::instance()) {
    application->removeEventFilter(this);
  }
}

bool KeyboardRule::IsForWindow(QObject* watched) const {
  auto* widget = qobject_cast<QWidget*>(watched);
  return widget != nullptr && widget->window() == &window_;
}

bool KeyboardRule::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) {
    return false;
  }
  auto* key = static_cast<QKeyEvent*>(event);
  if (!IsPlainEscape(*key) || !IsForWindow(watched)) return false;
  if (type == QEvent::ShortcutOverride) {
    // Claims the key so that no shortcut takes it before the key press.
    key->accept();
    return true;
  }
  window_.close();
  return true;
}

}  // namespace board
