#include <QApplication>
#include <QIcon>
#include <clocale>
#include <iostream>

#include "MDIFrame.h"
#include "Workspace.h"
#include "data_dialog/DataForm.h"
#include "window_services/Activation.h"

int main(int argc, char** argv) {
  // Before any window: Open and Run work in the folder chosen here.
  workspace::EnterWorkspace(workspace::RunningProgram(argc > 0 ? argv[0] : nullptr), std::cerr);
  QApplication app(argc, argv);
#ifdef REACTOPT_APP_ID
  QApplication::setDesktopFileName(QStringLiteral(REACTOPT_APP_ID));
#endif
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("reactopt")));
  // Numbers are written and read with a decimal point whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  TActivationTracker::Instance();

  TFrameForm frame;
  // The data dialog lives for the whole run; it is created visible, and
  // closing the main window ends the program even while it is shown.
  TDataForm dataForm;
  DataForm = &dataForm;
  dataForm.setAttribute(Qt::WA_QuitOnClose, false);
  dataForm.show();
  frame.show();
  const int status = app.exec();
  DataForm = nullptr;
  return status;
}
