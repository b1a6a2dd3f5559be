#pragma once
// Helpers shared by the window tests: a scripted stand-in for the program's
// dialogs, a temporary working directory and file access in bytes.

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>
#include <clocale>

#include "window_services/Prompts.h"

// Answers the dialogs from queues and records what was asked. An empty queue
// answers Cancel; every question and error box is kept for the test to check.
class ScriptedPrompts {
 public:
  ScriptedPrompts();
  ~ScriptedPrompts();

  QList<QMessageBox::StandardButton> confirmAnswers;
  QStringList openAnswers;  // "" cancels the dialog
  QStringList saveAnswers;  // "" cancels the dialog
  QStringList confirmTexts;
  QStringList savePresets;
  QStringList errors;

  prompts::Script script;
};

// A fresh temporary directory that is the working directory while it lives.
class TempWorkDir {
 public:
  TempWorkDir();
  ~TempWorkDir();
  QString path(const QString& name) const { return dir_.filePath(name); }
  // Names in the directory, hidden and special files included.
  QStringList entries() const;
  // Copies the delivered "DataFile.dat" into the directory.
  void CopyDataFile() const;

 private:
  QTemporaryDir dir_;
  QString oldCwd_;
};

QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);

// Offscreen unless the caller chose a platform; numbers in the C locale.
#define REACTOPT_GUI_TEST_MAIN(TestClass)                                        \
  int main(int argc, char** argv) {                                              \
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))                           \
      qputenv("QT_QPA_PLATFORM", "offscreen");                                   \
    QApplication app(argc, argv);                                                \
    std::setlocale(LC_NUMERIC, "C");                                             \
    TestClass test;                                                              \
    return QTest::qExec(&test, argc, argv);                                      \
  }
