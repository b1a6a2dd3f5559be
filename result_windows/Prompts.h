#pragma once
// Every modal question, error box and file dialog of the program goes through
// these functions, so that tests can answer them without a user.

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace prompts {

// The "Confirm" box: question icon, buttons Yes, No and Cancel.
QMessageBox::StandardButton Confirm(QWidget* parent, const QString& text);

// An error box showing a run-time message.
void Error(QWidget* parent, const QString& text);

// File dialogs; an empty result means the user cancelled. A chosen file makes
// its folder the working directory, where "DataFile.dat" is read and "opt.out"
// written.
QString OpenFileName(QWidget* parent, const QString& filter);
QString SaveFileName(QWidget* parent, const QString& filter, const QString& preset);

// Answers given instead of the dialogs while a test runs. Unset members fall
// back to the real dialogs.
struct Script {
  std::function<QMessageBox::StandardButton(const QString& text)> confirm;
  std::function<void(const QString& text)> error;
  std::function<QString()> openFileName;
  std::function<QString(const QString& preset)> saveFileName;
};
// nullptr restores the real dialogs.
void SetScript(Script* script);

}  // namespace prompts
