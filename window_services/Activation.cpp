#include "window_services/Activation.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

namespace {

// The focus resting in a menu bar, a tool bar or a menu is the user reaching
// for a command (Alt, F10, a menu's access key, Escape out of a menu), not a
// move to another window: the window that had the focus keeps it.
bool IsCommandBar(const QWidget* w) {
  return qobject_cast<const QMenuBar*>(w) || qobject_cast<const QToolBar*>(w) ||
         qobject_cast<const QMenu*>(w);
}

// The window of the program that `w` belongs to: its nearest activatable
// ancestor, looking no further than its own top-level window (a message box
// parented to the main window is not the main window). Null when the focus
// is in no window of the program or only in its command bars.
QWidget* ProgramWindowOf(QWidget* w) {
  for (; w; w = w->parentWidget()) {
    if (IsCommandBar(w)) return nullptr;
    if (dynamic_cast<TActivatable*>(w)) return w;
    if (w->isWindow()) return nullptr;
  }
  return nullptr;
}

}  // namespace

TActivationTracker& TActivationTracker::Instance() {
  static TActivationTracker* tracker = new TActivationTracker;
  return *tracker;
}

TActivationTracker::TActivationTracker() {
  connect(qApp, &QApplication::focusChanged, this, &TActivationTracker::OnFocusChanged);
}

void TActivationTracker::Activate(QWidget* window) { Switch(window); }

void TActivationTracker::Leave(QWidget* window) {
  if (!window || window != current_) return;
  if (QWidget* now = ProgramWindowOf(QApplication::focusWidget()); now && now != window) Switch(now);
}

void TActivationTracker::OnFocusChanged(QWidget*, QWidget* now) {
  // Focus going nowhere is the application losing it, and focus going into a
  // menu bar or tool bar is a command being chosen: nothing changes.
  if (QWidget* window = ProgramWindowOf(now)) Switch(window);
}

void TActivationTracker::Switch(QWidget* window) {
  if (!window || window == current_) return;
  QPointer<QWidget> previous = current_;
  current_ = window;
  if (previous)
    if (auto* handlers = dynamic_cast<TActivatable*>(previous.data())) handlers->WindowDeactivated();
  if (auto* handlers = dynamic_cast<TActivatable*>(window)) handlers->WindowActivated();
}
