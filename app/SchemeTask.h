#pragma once
// A task file (".toml") as the current task of the main window: Data Edit
// shows its parameters, Run runs the text its window holds, saved or not,
// writes "opt.out" and gives the run for a numbered result window.

#include <QHash>
#include <QPointer>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "schemes/Scheme.h"
#include "teaching/Study.h"

class QWidget;
class TEditForm;
class TSchemeDataForm;

class TSchemeTask {
 public:
  // Messages and the data dialog stand over `frame`.
  explicit TSchemeTask(QWidget* frame);

  // Whether the current task is a task file.
  bool Current() const { return !path_.isEmpty(); }
  // The task file `path` becomes the current task, its text that of
  // `window`; without a window (closed since) the file as saved.
  void Select(TEditForm* window, const QString& path);
  // The current task is none or a built-in one.
  void Clear();

  // Data Edit: the dialog at the file's parameters, their first offered
  // values stored until OK; a fault of the file is shown instead.
  void EditData();
  // Run: the engine's run of the file with the values confirmed with OK for
  // its parameters, or the defaults, its report written to "opt.out" whole.
  // Nothing when the file has a fault, its data are refused or the report
  // cannot be written: the message is shown and the old report stays.
  std::optional<schemes::SchemeRun> Run();
  // What a study of the file starts from: the text and the values Run would
  // take now, and the file's name. Nothing when the file has a fault: it is
  // shown as Run shows it.
  std::optional<teaching::StudyRequest> StudyTask();

  // The file's name without ".toml", which the result windows' captions begin
  // with.
  QString Stem() const;
  // The number of the next result window of the file's stem: 1, 2, ...
  int NextNumber();
  // Each stem is numbered from 1 again.
  void ResetNumbers();

  // The data dialog, while Data Edit has made it; else null.
  TSchemeDataForm* Dialog() const;

 private:
  // The scheme of the file's text as it stands; a fault is shown, with the
  // window's caret on its line, and gives nothing.
  // The text parsed is put in `text` when given.
  std::optional<schemes::Scheme> Parse(std::string* text = nullptr);
  // The values Run takes for `scheme`: those confirmed with OK, or the
  // defaults.
  std::vector<double> RunValues(const schemes::Scheme& scheme) const;
  void ShowError(const QString& text) const;

  QWidget* frame_;
  QPointer<TEditForm> window_;
  QString path_;  // absolute
  QPointer<TSchemeDataForm> dialog_;
  // What OK confirmed: the file, its parameters' names and the values.
  QString confirmedPath_;
  std::vector<std::string> confirmedNames_;
  std::vector<double> confirmedValues_;
  QHash<QString, int> numbers_;
};
