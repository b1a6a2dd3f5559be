#pragma once
// Every modal question, error box and file dialog of the program goes through
// these functions, so that tests can answer them without a user.

#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

class QPrinter;
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

// Where to save a picture of a chart. Unlike the document dialogs it leaves the
// working directory alone: a picture has nothing to do with the task's files.
QString SaveImageFileName(QWidget* parent, const QString& preset);

// Task files (".toml") chosen to add to a list; empty when cancelled. It
// leaves the working directory alone.
QStringList TaskFileNames(QWidget* parent);

// A folder chosen under `title`, starting at `start`; empty when cancelled. It
// too leaves the working directory alone.
QString FolderName(QWidget* parent, const QString& title, const QString& start);

// The print dialog on `printer`; false when the user cancelled.
bool Print(QWidget* parent, QPrinter& printer);
// The printer set-up dialog on `printer`.
void PrinterSetup(QWidget* parent, QPrinter& printer);
// The font dialog preset with `font`; true, with `font` replaced, when the user
// confirmed a choice.
bool ChooseFont(QWidget* parent, QFont& font);

// Answers given instead of the dialogs while a test runs. Unset members fall
// back to the real dialogs.
struct Script {
  std::function<QMessageBox::StandardButton(const QString& text)> confirm;
  std::function<void(const QString& text)> error;
  std::function<QString()> openFileName;
  std::function<QString(const QString& preset)> saveFileName;
  std::function<QString(const QString& preset)> saveImageFileName;
  std::function<QString(const QString& start)> folderName;
  std::function<QStringList()> taskFileNames;
  std::function<bool(QPrinter& printer)> print;
  std::function<void(QPrinter& printer)> printerSetup;
  std::function<bool(QFont& font)> chooseFont;
};
// nullptr restores the real dialogs.
void SetScript(Script* script);

}  // namespace prompts
