#pragma once
// Activation of the program's windows. A window (the main window, a document
// window, the data dialog) is activated when the keyboard focus passes into it
// from another window of the program, or reaches it for the first time, and
// deactivated when the focus leaves it for another window of the program.
// Switching to another application and back, to a message box or file dialog
// and back, or into the menu bar or tool bar and back, does neither. This
// tracker is the only place that decides it; every activation and
// deactivation handler runs from here.

#include <QObject>
#include <QPointer>
#include <QWidget>

// A window of the program with activation handlers.
class TActivatable {
 public:
  virtual ~TActivatable() = default;
  virtual void WindowActivated() = 0;
  virtual void WindowDeactivated() {}
};

class TActivationTracker : public QObject {
  Q_OBJECT
 public:
  // Starts following the application's focus.
  static TActivationTracker& Instance();

  // A window that is created or shown takes the focus at once; this runs its
  // activation now, so that its handler comes before the creator's next step
  // whatever the windowing system's timing. The focus event that follows
  // then changes nothing.
  void Activate(QWidget* window);

  // A window being hidden gives up the focus: the window of the program that
  // holds it now is activated, even when the windowing system reports no
  // focus change because the hidden window never really had the focus.
  void Leave(QWidget* window);

 private:
  TActivationTracker();
  void OnFocusChanged(QWidget* old, QWidget* now);
  void Switch(QWidget* window);
  QPointer<QWidget> current_;
};
