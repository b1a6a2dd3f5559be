#include <QApplication>
#include <clocale>

#include "MDIFrame.h"
#include "initial_data/DataForm.h"
#include "window_services/Activation.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
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
