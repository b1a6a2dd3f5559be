#pragma once
// The main window: a multi-document frame that opens task statements, prepares
// their initial data, runs them and shows each report in a numbered result
// window beside its chart.

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>

#include "window_services/Activation.h"
#include "window_services/FrameCalls.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStackedLayout;
class QTextEdit;
class QToolButton;
class TEditForm;
class TSchemeTask;

// The current task file's name without directory, at most 10 characters, or
// "Untitled".
extern QString TaskFileName;
// The extension of the name last given to RunBtnVis, dot included, at most 4
// characters.
extern QString TaskFileExt;
// Result windows opened per task since the frame was last activated; entry i
// belongs to row i of the task table (task 101 + i), so only the first 25 of
// the 30 are used.
extern std::int32_t ResultWindowCounters[30];

class TFrameForm : public QMainWindow, public TFrameCalls, public TActivatable {
  Q_OBJECT
 public:
  explicit TFrameForm(QWidget* parent = nullptr);
  ~TFrameForm() override;

  // Commands.
  void OpenChild() override;
  void NewChild() override;
  void RunBtnClick();
  void EditDataBtnClick();
  // "Исследование параметра...": a study of the open task, built-in or a task
  // file, in a window of its own.
  void StudyClick();
  void Exit1Click() override;
  void Tile1Click();
  void Cascade1Click();
  void ArrangeIcons1Click();

  // Derives TaskFileName, TaskFileExt and TaskCode from a document window's
  // caption and shows Run and Data Edit unless it is a new or result window.
  // A task file's window (".toml") makes that file the current task.
  void RunBtnVis(const QString& name) override;
  void DocumentActivated(QWidget* window) override;
  // Save, Cut, Copy, Paste, Data Edit and Run become visible.
  void VisibleSpeedButton();
  // The Task menu's Data Edit and Run are enabled while their buttons show.
  void UpdateTaskCommands();
  // Save, Cut, Copy and Paste act on the active document window and are
  // enabled as its menu items are: Cut and Copy with a selection, Paste with
  // text on the clipboard; all four are disabled without a document window.
  void UpdateSpeedButtons();
  // Each time the frame itself is activated: it fills the screen again and the
  // result windows are numbered from 1 again.
  void FormActivate();
  void WindowActivated() override { FormActivate(); }

  QMdiArea* MdiArea;
  QTextEdit* MemoBegin;
  QWidget* SpeedPanel;
  QToolButton *OpenBtn, *ExitBtn, *SaveBtn, *CutBtn, *CopyBtn, *PasteBtn, *EditDataBtn, *RunBtn;
  QMenu *File1, *Task1, *Window1;
  QAction *New1, *Open1, *Exit1, *EditData1, *Run1, *Tile1, *Cascade1, *ArrangeIcons1;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // A document window, created visible and active at once.
  TEditForm* CreateChild();
  // The document window the editing commands act on, or null.
  TEditForm* ActiveChild() const;
  void HideMemoBegin();
  // A new window lies wholly in the visible client area, where it fits.
  void KeepInView(QMdiSubWindow* window);
  void MergeMenus(QMdiSubWindow* active);
  // The keyboard goes into the active document window's text.
  void FocusActiveChild(QMdiSubWindow* active);
  void FillWindowMenu();

  // A task file's run into a numbered result window.
  void RunSchemeTask();

  QStackedLayout* clientStack_;
  // The task file the task commands act on, while the current task is one.
  std::unique_ptr<TSchemeTask> schemeTask_;
  // The document window being activated, while RunBtnVis runs for it.
  TEditForm* activating_ = nullptr;
  QAction* windowListSeparator_;
};

// The one main window, while it exists.
extern TFrameForm* FrameForm;
