#pragma once
// Helpers shared by the window tests: a scripted stand-in for the program's
// dialogs, a temporary working directory and file access in bytes.

#include <sys/resource.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QtTest>
#include <clocale>
#include <cstdio>
#include <functional>
#include <optional>

#include "ChildProcess.h"
#include "TempFolder.h"
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
  QString path(const QString& name) const { return dir_.filePath(name); }
  // Names in the directory, hidden and special files included.
  QStringList entries() const;
  // Copies the delivered "DataFile.dat" into the directory.
  void CopyDataFile() const;

 private:
  TempFolder folder_;
  QDir dir_{QString::fromStdString(folder_.path())};
};

// A body given to RunUnprivileged (ChildProcess.h) must draw nothing (no event
// processing): the drawing threads stay in the parent.
// Makes a file or folder, created by the test, usable by that child.
void GrantAll(const QString& path);
void SetMode(const QString& path, int mode);

// Files may grow to `bytes` only while it lives, as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

class TChartOpt;
// What the chart shows of its texts, sorted: each visible text item's text
// (line breaks as "\n"), marked "cut: " when it is not wholly inside the chart.
QStringList ShownTexts(TChartOpt& chart);
// What ShownTexts gives for a chart that shows everything whole.
QStringList WholeChartTexts();

QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);

// Offscreen unless the caller chose a platform; numbers in the C locale.
#define REACTOPT_GUI_TEST_MAIN(TestClass)                                                       \
  int main(int argc, char** argv) {                                                             \
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
    QApplication app(argc, argv);                                                               \
    std::setlocale(LC_NUMERIC, "C");                                                            \
    TestClass test;                                                                             \
    return QTest::qExec(&test, argc, argv);                                                     \
  }
