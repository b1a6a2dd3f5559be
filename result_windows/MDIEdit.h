#pragma once
// The document window: a small plain-text editor for task statements, new
// texts and reports, with the result chart beside the text in result windows.

#include <QList>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QString>
#include <array>
#include <vector>

#include "window_services/Activation.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class TChartOpt;

// The text area; it keeps its text off the edges of its client area.
class TMemo : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit TMemo(QWidget* parent = nullptr);
  // Margins between the client area and the text, in pixels.
  void SetTextMargins(int horizontal, int vertical);
};

class TEditForm : public QMdiSubWindow, public TActivatable {
  Q_OBJECT
 public:
  explicit TEditForm(QWidget* parent = nullptr);

  TMemo* Memo1;
  TChartOpt* ChartOpt;

  // Menus the main window shows in its menu bar while this window is active,
  // in order: "&File", "&Edit", "&Character".
  QMenu* File1;
  QMenu* Edit1;
  QMenu* Character1;
  QMenu* MemoPopUp;
  QList<QMenu*> MergedMenus() const { return {File1, Edit1, Character1}; }

  QAction *New1, *Open1, *Close1, *Save1, *SaveAs1, *Print1, *PrintSetup1, *Exit1;
  QAction *Cut1, *Copy1, *Paste1, *Delete1, *SelectAll1;
  QAction *Left1, *Right1, *Center1, *WordWrap1, *Font1;
  QAction *Cut2, *Copy2, *Paste2;

  // The file the text was loaded from and is saved to, as an absolute path:
  // later moves of the working directory do not send a save elsewhere. Empty
  // for a new text.
  QString FileName() const { return fileName_; }

  // Loads a Windows-1251 text file, or a UTF-8 task file (".toml"); the
  // caption becomes `name`. On failure an error box names the file,
  // FileName() is `name`'s path and the text and caption stay as they were.
  bool Open(const QString& name);

  // Shows `bytes`, the Windows-1251 text just written to the file `name` (a
  // run's report), as if `name` had been opened. The file is not read back:
  // another run in the same folder may have rewritten it already.
  void OpenWritten(const QString& name, const QByteArray& bytes);

  // Result windows open wide enough for the report's lines with the chart at
  // their right, both following the window's size (the chart goes under the
  // report in a window too narrow for both and high enough); task and new
  // windows give the whole window to the text and hide the chart.
  void SetResultLayout(bool withChart);

  // Fills the chart once from the chart buffers of the run of task `code`.
  void ChartDisplay(int code);
  // Fills the chart once from a task file's run: conversion, selectivity and
  // yield per point.
  void ChartDisplay(const std::vector<std::array<double, 3>>& points);

  // A line under the report and the chart (the exact optimum of the task);
  // empty hides it. It is no part of the report: it is neither saved nor
  // printed.
  void SetExactLine(const QString& text);
  QLabel* ExactLabel;

  // The text as the file would hold it, line ends as '\n'.
  QString Text() const;

  // What happens each time the window is activated: the main window learns its
  // caption.
  void FormActivate();
  void WindowActivated() override { FormActivate(); }

  // Whether the window may close; asks to save a modified text. The main window
  // calls it for every window before the program ends.
  bool FormCloseQuery();

  // Enables the editing commands that apply to the selection and clipboard.
  void UpdateEditItems();

  // Keeps the present version of `name` as its ".BAK" file. False when no
  // backup was made (no such file, the backup name is the file's own, or the
  // rename failed).
  static bool MakeBackup(const QString& name);

 public slots:
  // Both return true when the text was written.
  bool Save1Click();
  bool SaveAs1Click();
  void Print1Click();
  void PrintSetup1Click();
  void AlignClick(QAction* sender);
  void SetWordWrap();
  void SetFont();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateMenus();
  void PlaceChildren();
  // The text area's width that shows every line of the text whole.
  int WantedMemoWidth() const;
  void SetMemoMargins();
  // Wraps the text's lines when the user asked for it or the window is too
  // small to show a report's lines whole beside its chart.
  void ApplyWordWrap();
  void ShowMemoPopUp(const QPoint& pos);
  void ShowText(const QString& caption, const QString& text);
  // The height the exact line takes, 0 without one.
  int ExactLineHeight() const;
  // Writes the text to `name` whole, keeping the previous version as backup;
  // in a folder that takes no new file, rewrites the file in place without
  // one. Returns the text of the error box, empty when the file was written.
  QString WriteFile(const QString& name, const QByteArray& bytes);

  QWidget* client_;
  QActionGroup* alignGroup_;
  QString fileName_;
  bool resultLayout_ = true;
  // A task file keeps the line ends it was loaded with; a new one has LF.
  bool taskFileCrLf_ = false;
  bool wordWrap_ = false;  // as chosen with Character -> WordWrap
  bool narrow_ = false;
};
