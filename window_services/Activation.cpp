#include "window_services/Activation.h"

#include <QApplication>
#include <QWidget>

namespace {

// The window of the program that `w` belongs to: its nearest activatable
// ancestor, looking no further than its own top-level window (a message box
// parented to the main window is not the main window).
QWidget* ProgramWindowOf(QWidget* w) {
  for (; w; w = w->parentWidget()) {
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

void TActivationTracker::OnFocusChanged(QWidget*, QWidget* now) {
  // Focus going nowhere is the application losing it: nothing changes.
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
