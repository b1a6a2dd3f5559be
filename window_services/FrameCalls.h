#pragma once
// What a document window needs of the main window. The main window implements
// it and registers itself once it exists; until then the calls go nowhere, so a
// document window also works on its own.

#include <QString>
#include <QWidget>

class TFrameCalls {
 public:
  virtual ~TFrameCalls() = default;
  // Derive the current task from a document window's caption and show or hide
  // Run and Data Edit accordingly.
  virtual void RunBtnVis(const QString& caption) = 0;
  // A document window was activated: RunBtnVis with its caption. The main
  // window also notes the window, whose text a task file's run takes.
  virtual void DocumentActivated(QWidget* window) { RunBtnVis(window->windowTitle()); }
  virtual void NewChild() = 0;
  virtual void OpenChild() = 0;
  virtual void Exit1Click() = 0;
};

// The registered main window, or nullptr.
TFrameCalls* FrameCalls();
// nullptr unregisters (the main window does so when it is destroyed).
void SetFrameCalls(TFrameCalls* frame);
