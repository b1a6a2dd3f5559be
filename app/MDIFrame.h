#pragma once
// The main window: a multi-document frame.

#include <QMainWindow>

class TFrameForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFrameForm(QWidget* parent = nullptr);
};
