#pragma once
// Helpers shared by the Qt tests: a temporary working directory and scripted
// answers to the program's message boxes and file dialogs.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>

#include "result_windows/Prompts.h"

// Makes a fresh temporary directory the working directory for its lifetime.
class TempWorkingDir {
 public:
  TempWorkingDir();
  ~TempWorkingDir();
  QString Path(const QString& name) const { return dir_.filePath(name); }
  // Copies the delivered data file into the directory.
  void CopyDataFile() const;

 private:
  QTemporaryDir dir_;
  QString old_;
};

// Answers the program's prompts from queues; every error box is recorded.
class ScriptedPrompts {
 public:
  ScriptedPrompts();
  ~ScriptedPrompts();
  std::deque<QMessageBox::StandardButton> confirmAnswers;
  std::deque<QString> openAnswers;  // "" cancels
  std::deque<QString> saveAnswers;  // "" cancels
  QStringList confirmations;        // texts of the questions asked
  QStringList errors;               // texts of the error boxes shown

 private:
  prompts::Script script_;
};

void WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);
