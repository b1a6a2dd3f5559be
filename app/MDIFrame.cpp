#include "MDIFrame.h"

#include <QMdiArea>

TFrameForm::TFrameForm(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Задание №1"));
  setCentralWidget(new QMdiArea(this));
  resize(900, 600);
}
