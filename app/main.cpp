#include <QApplication>
#include <clocale>

#include "MDIFrame.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Numbers are written and read with a decimal point whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  TFrameForm frame;
  frame.show();
  return app.exec();
}
