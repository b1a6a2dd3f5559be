#pragma once
// The windows of one run of the program, made as main() makes them, so that
// the start a student sees can be tried without starting the program.

#include <QString>
#include <memory>

class TDataForm;
class TFrameForm;

class TProgramWindows {
 public:
  // `startProblem`: what keeps the program from its workspace, shown in a
  // message box over the main window once it is on screen; "" for nothing.
  // Qt's own texts (message box buttons, the file, print, page set-up and
  // font dialogs) speak the language of the default locale, the system's
  // unless set otherwise; the program's captions stay as they are.
  explicit TProgramWindows(const QString& startProblem = QString());
  ~TProgramWindows();

  TFrameForm& Frame() const { return *frame_; }
  // The data dialog exists from the start but stays hidden until Data Edit:
  // without a task it would be an empty box with two buttons.
  TDataForm& DataDialog() const { return *dataForm_; }

 private:
  std::unique_ptr<TFrameForm> frame_;
  TDataForm* dataForm_;  // owned by the frame, which it stays above
};
