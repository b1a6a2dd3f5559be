// The whole road of a student: open a task, look at and change its data, run
// it and read the numbered result window with its chart.

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <memory>

#include "GuiTestSupport.h"
#include "app/MDIFrame.h"
#include "base/Cp1251.h"
#include "data_dialog/DataForm.h"
#include "initial_data/TaskData.h"
#include "result_windows/ChartOpt.h"
#include "result_windows/DocumentText.h"
#include "result_windows/MDIEdit.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"
#include "window_services/Activation.h"

namespace {

QString ReportText() {
  return QString::fromStdString(cp1251::ToUtf8(ReadBytes(QStringLiteral("opt.out")).toStdString()))
      .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString Visible(const TFrameForm& frame) {
  QString shown;
  for (QToolButton* b : {frame.OpenBtn, frame.ExitBtn, frame.SaveBtn, frame.CutBtn, frame.CopyBtn,
                         frame.PasteBtn, frame.EditDataBtn, frame.RunBtn})
    if (!b->isHidden()) shown += b->objectName().chopped(3) + QLatin1Char(' ');
  return shown.trimmed();
}

QString Enabled(const TFrameForm& frame) {
  QString enabled;
  for (QToolButton* b : {frame.SaveBtn, frame.CutBtn, frame.CopyBtn, frame.PasteBtn})
    if (b->isEnabled()) enabled += b->objectName().chopped(3) + QLatin1Char(' ');
  return enabled.trimmed();
}

}  // namespace

class FrameTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempWorkDir> dir_;
  std::unique_ptr<ScriptedPrompts> prompts_;
  std::unique_ptr<TFrameForm> frame_;
  std::unique_ptr<TDataForm> data_;

  TEditForm* Active() const { return qobject_cast<TEditForm*>(frame_->MdiArea->activeSubWindow()); }
  QList<QMdiSubWindow*> Windows() const { return frame_->MdiArea->subWindowList(QMdiArea::CreationOrder); }

  // A task statement in the working directory, opened through the Open dialog.
  TEditForm* OpenTask(const QString& name) {
    const QString path = dir_->path(name);
    if (!QFile::exists(path)) WriteBytes(path, QByteArray("Задача\r\n"));
    prompts_->openAnswers << path;
    frame_->OpenChild();
    return Active();
  }
  TEditForm* Run() {
    const qsizetype before = Windows().size();
    frame_->RunBtnClick();
    return Windows().size() > before ? Active() : nullptr;
  }
  // Data Edit, as a student presses it: the dialog comes up and takes the focus.
  void ShowDataForm() {
    frame_->EditDataBtnClick();
    QVERIFY(QTest::qWaitForWindowActive(data_.get()));
    QCoreApplication::processEvents();
  }
  // The caption of the result window a run from `task` opens, or "" for none.
  QString RunFrom(TEditForm* task) {
    Focus(task->Memo1);
    TEditForm* result = Run();
    return result ? result->windowTitle() : QString();
  }
  void Focus(QWidget* w) {
    w->activateWindow();
    w->setFocus();
    QCoreApplication::processEvents();
  }

 private slots:
  void init() {
    TaskCode = 0;
    dir_ = std::make_unique<TempWorkDir>();
    dir_->CopyDataFile();
    prompts_ = std::make_unique<ScriptedPrompts>();
    TActivationTracker::Instance();
    frame_ = std::make_unique<TFrameForm>();
    data_ = std::make_unique<TDataForm>();
    DataForm = data_.get();
    frame_->show();
    frame_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
    frame_->MemoBegin->setFocus();
    QCoreApplication::processEvents();
  }
  void cleanup() {
    // Closing without questions: the tests that want them ask themselves.
    for (QMdiSubWindow* w : Windows())
      if (auto* child = qobject_cast<TEditForm*>(w)) child->Memo1->document()->setModified(false);
    frame_.reset();
    DataForm = nullptr;
    data_.reset();
    prompts_.reset();
    dir_.reset();
  }

  void startScreen() {
    QCOMPARE(frame_->windowTitle(), QStringLiteral("Задание №1"));
    QCOMPARE(Visible(*frame_), QStringLiteral("Open Exit"));
    QVERIFY(frame_->MemoBegin->isVisible());
    QCOMPARE(frame_->MemoBegin->document()->blockCount(), 15);
    QCOMPARE(frame_->MemoBegin->document()->findBlockByNumber(2).text(),
             QStringLiteral("Демонстрационные примеры решения задач по "));
    QCOMPARE(frame_->RunBtn->toolTip(), QStringLiteral("Run (F9)"));
    QCOMPARE(frame_->EditDataBtn->toolTip(), QStringLiteral("Data Edit (F5)"));
    QCOMPARE(frame_->PasteBtn->toolTip(), QString());
    QCOMPARE(data_->windowTitle(), QStringLiteral("InitialData Task №"));
    QCOMPARE(frame_->menuBar()->actions().size(), 3);  // File, Task, Window
  }

  void openAndRunGivesNumberedResultWindows() {
    TEditForm* task = OpenTask(QStringLiteral("zad105.txt"));
    QVERIFY(task);
    QCOMPARE(task->windowTitle(), dir_->path(QStringLiteral("zad105.txt")));
    QCOMPARE(TaskFileName, QStringLiteral("zad105.txt"));
    QCOMPARE(TaskCode, 105);
    QCOMPARE(Visible(*frame_), QStringLiteral("Open Exit Save Cut Copy Paste EditData Run"));
    QVERIFY(!frame_->MemoBegin->isVisible());
    QCOMPARE(TaskParams.P1, 1.0);  // the defaults are stored at once

    TEditForm* result = Run();
    QVERIFY(result);
    QCOMPARE(result->windowTitle(), QStringLiteral("zad105.out( 1)"));
    QCOMPARE(result->Memo1->toPlainText(), ReportText());
    QVERIFY(result->ChartOpt->isVisible());
    QCOMPARE(result->ChartOpt->Series1->count(), 21);
    QCOMPARE(result->ChartOpt->Series2->count(), 21);
    QCOMPARE(Visible(*frame_), QStringLiteral("Open Exit Save Cut Copy Paste"));
    QCOMPARE(TaskCode, 105);  // restored after the window's own activation

    // A second run from the task window gets the next number.
    Focus(task->Memo1);
    QCOMPARE(Visible(*frame_), QStringLiteral("Open Exit Save Cut Copy Paste EditData Run"));
    QCOMPARE(RunFrom(task), QStringLiteral("zad105.out( 2)"));
    // The menus of the active document window stand in the menu bar.
    QCOMPARE(frame_->menuBar()->actions().size(), 5);
  }

  void dataEditedAndConfirmedReachesTheRun() {
    TEditForm* task = OpenTask(QStringLiteral("zad101.txt"));
    ShowDataForm();
    QVERIFY(data_->isVisible());
    QCOMPARE(data_->windowTitle(), QStringLiteral("InitialData Task №101"));
    data_->ComboBox(2)->setEditText(QStringLiteral("0.25"));
    data_->ButtonOkClick();
    QVERIFY(!data_->isVisible());
    Focus(task->Memo1);
    QVERIFY(Run());
    QVERIFY(ReportText().contains(QStringLiteral("k1 = 1.000  k2 = 0.250")));

    // Cancel brings back the defaults.
    Focus(task->Memo1);
    ShowDataForm();
    data_->ComboBox(2)->setEditText(QStringLiteral("0.75"));
    data_->ButtonCancelClick();
    Focus(task->Memo1);
    QVERIFY(Run());
    QVERIFY(ReportText().contains(QStringLiteral("k1 = 1.000  k2 = 1.000")));
  }

  void aDataDialogRoundTripKeepsTheNumbering() {
    TEditForm* task = OpenTask(QStringLiteral("zad101.txt"));
    QVERIFY(Run());
    Focus(task->Memo1);
    QVERIFY(Run());
    Focus(task->Memo1);
    ShowDataForm();
    data_->ButtonOkClick();
    QCOMPARE(RunFrom(task), QStringLiteral("zad101.out( 3)"));
  }

  // The menu bar taking the focus (Alt, a menu's access key, Escape out of a
  // menu opened with the mouse) is not the frame being activated: the next
  // result window gets the next number and a restored frame keeps its size.
  // Choosing a window from the Window menu still activates that window.
  void menusDoNotActivateTheFrame() {
    TEditForm* task = OpenTask(QStringLiteral("zad101.txt"));
    QCOMPARE(RunFrom(task), QStringLiteral("zad101.out( 1)"));
    frame_->showNormal();
    frame_->resize(500, 400);
    QCoreApplication::processEvents();
    QVERIFY(!frame_->isMaximized());
    QMenuBar* bar = frame_->menuBar();
    const auto escapeMenus = [bar] {
      while (QWidget* popup = QApplication::activePopupWidget()) QTest::keyClick(popup, Qt::Key_Escape);
      if (QApplication::focusWidget() == bar) QTest::keyClick(bar, Qt::Key_Escape);
    };

    Focus(task->Memo1);
    QTest::keyPress(task->Memo1, Qt::Key_Alt, Qt::AltModifier);
    QTest::keyRelease(task->Memo1, Qt::Key_Alt);
    QCOMPARE(QApplication::focusWidget(), bar);  // the keyboard is in the menu bar
    escapeMenus();
    QCOMPARE(QApplication::focusWidget(), task->Memo1);

    QTest::keyClick(task->Memo1, Qt::Key_F, Qt::AltModifier);
    QVERIFY(QApplication::activePopupWidget());
    escapeMenus();
    QTest::keyClick(task->Memo1, Qt::Key_F10);
    escapeMenus();

    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions().first()).center());
    QVERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), bar);
    escapeMenus();

    QVERIFY(!frame_->isMaximized());
    QCOMPARE(frame_->size(), QSize(500, 400));
    QCOMPARE(RunFrom(task), QStringLiteral("zad101.out( 2)"));

    // Alt+W, then the first window of the list: the task window is active.
    QVERIFY(!frame_->RunBtn->isVisible());
    QTest::keyClick(Active()->Memo1, Qt::Key_W, Qt::AltModifier);
    QVERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_1);
    QCoreApplication::processEvents();
    QCOMPARE(Active(), task);
    QVERIFY(frame_->RunBtn->isVisible());
    QCOMPARE(RunFrom(task), QStringLiteral("zad101.out( 3)"));
  }

  // F5 and F9, and the Task menu, do what the Data Edit and Run buttons do,
  // exactly while those are shown.
  void dataEditAndRunFromTheKeyboard() {
    QTest::keyClick(frame_->MemoBegin, Qt::Key_F9);  // no task yet
    QTest::keyClick(frame_->MemoBegin, Qt::Key_F5);
    QVERIFY(Windows().isEmpty() && data_->isHidden());

    TEditForm* task = OpenTask(QStringLiteral("zad101.txt"));
    Focus(task->Memo1);
    QTest::keyClick(task->Memo1, Qt::Key_F5);
    QVERIFY(QTest::qWaitForWindowActive(data_.get()));
    data_->ComboBox(2)->setEditText(QStringLiteral("0.25"));
    QTest::keyClick(data_->ButtonOk(), Qt::Key_Space);
    QVERIFY(data_->isHidden());
    Focus(task->Memo1);
    QTest::keyClick(task->Memo1, Qt::Key_F9);
    QCOMPARE(Active()->windowTitle(), QStringLiteral("zad101.out( 1)"));
    QVERIFY(ReportText().contains(QStringLiteral("k1 = 1.000  k2 = 0.250")));

    // A result window has nothing to run or edit.
    QTest::keyClick(Active()->Memo1, Qt::Key_F9);
    QTest::keyClick(Active()->Memo1, Qt::Key_F5);
    QCOMPARE(Windows().size(), 2);
    QVERIFY(data_->isHidden());

    // Alt+T, then R.
    Focus(task->Memo1);
    QTest::keyClick(task->Memo1, Qt::Key_T, Qt::AltModifier);
    QVERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_R);
    QCOMPARE(Active()->windowTitle(), QStringLiteral("zad101.out( 2)"));
  }

  // In a frame of 1366 by 768 pixels every new window opens inside it; tiled,
  // each result window shows its whole chart with every label; maximised, the
  // report's lines show whole and the chart takes the rest.
  void resultWindowsFitTheFrame() {
    frame_->showNormal();
    frame_->resize(1366, 768);
    QCoreApplication::processEvents();
    TEditForm* task = OpenTask(QStringLiteral("zad105.txt"));
    QList<TEditForm*> results;
    for (int i = 0; i < 3; ++i) {
      Focus(task->Memo1);
      results << Run();
      QVERIFY(results.last());
    }
    const QRect area = frame_->MdiArea->viewport()->rect();
    for (QMdiSubWindow* window : Windows())
      QVERIFY2(area.contains(window->geometry()), qPrintable(window->windowTitle()));

    const auto showsAll = [](TEditForm* result) {
      QCoreApplication::processEvents();
      return result->widget()->rect().contains(result->ChartOpt->geometry()) &&
             ShownTexts(*result->ChartOpt) == WholeChartTexts();
    };
    frame_->Tile1Click();
    for (TEditForm* result : results) QVERIFY2(showsAll(result), qPrintable(result->windowTitle()));
    results[2]->resize(50, 50);  // no smaller than its chart needs
    QVERIFY(showsAll(results[2]));

    results[1]->showMaximized();
    QVERIFY(showsAll(results[1]));
    QCOMPARE(results[1]->Memo1->horizontalScrollBar()->maximum(), 0);
    QVERIFY(results[1]->ChartOpt->width() > 353);
  }

  // The answers, the report's last lines, show whole beside or over a whole
  // chart: in the window a run opens and in four windows tiled on a screen
  // of 1366 by 768 pixels.
  void theAnswersShowWhole_data() {
    QTest::addColumn<QString>("task");
    for (const char* code : {"101", "107", "112", "120"}) QTest::newRow(code) << code;
  }
  void theAnswersShowWhole() {
    QFETCH(QString, task);
    frame_->showNormal();
    frame_->resize(1366, 768);
    QCoreApplication::processEvents();
    TEditForm* statement = OpenTask(QStringLiteral("zad%1.txt").arg(task));
    // Each of the last three lines' last word, the value, shows on one row
    // within the text area, once the text is scrolled to its end.
    const auto readable = [](TEditForm* result) {
      QCoreApplication::processEvents();
      QPlainTextEdit* memo = result->Memo1;
      memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
      QCoreApplication::processEvents();
      int checked = 0;
      for (QTextBlock block = memo->document()->lastBlock(); block.isValid() && checked < 3;
           block = block.previous()) {
        const QString line = block.text().trimmed();
        if (line.isEmpty()) continue;
        ++checked;
        QTextCursor end(block);
        end.movePosition(QTextCursor::EndOfBlock);
        QTextCursor value = end;
        value.setPosition(block.position() + int(block.text().lastIndexOf(QLatin1Char(' '))) + 1);
        const QRect from = memo->cursorRect(value), to = memo->cursorRect(end);
        if (from.top() != to.top() || to.right() > memo->viewport()->width() || from.left() < 0)
          return QStringLiteral("cut: ") + line;
      }
      const QRect text = memo->geometry().adjusted(1, 1, -1, -1);
      if (!result->widget()->rect().contains(result->ChartOpt->geometry()) ||
          text.intersects(result->ChartOpt->geometry()) || ShownTexts(*result->ChartOpt) != WholeChartTexts())
        return QStringLiteral("the chart is cut or covers the text");
      return QString();
    };
    QList<TEditForm*> results;
    for (int i = 0; i < 3; ++i) {
      Focus(statement->Memo1);
      results << Run();
      QVERIFY(results.last());
      QCOMPARE(readable(results.last()), QString());
    }
    frame_->Tile1Click();
    for (TEditForm* result : results) QCOMPARE(readable(result), QString());
  }

  // Window -> a window from the keyboard, then Ctrl+Tab and Ctrl+Shift+Tab:
  // the keys go on into the window that became active.
  void theKeyboardFollowsTheActiveWindow() {
    TEditForm* first = OpenTask(QStringLiteral("zad101.txt"));
    TEditForm* second = OpenTask(QStringLiteral("zad102.txt"));
    TEditForm* third = Run();
    QVERIFY(third);
    QTRY_COMPARE(QApplication::focusWidget(), third->Memo1);
    const auto typed = [](TEditForm* window) {
      QWidget* focus = QApplication::focusWidget();
      if (!focus) return false;
      QTest::keyClick(focus, Qt::Key_Q);
      return window->Memo1->toPlainText().startsWith(QLatin1Char('q'));
    };
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::AltModifier);
    QTRY_VERIFY(frame_->Window1->isVisible());
    QTest::keyClick(frame_->Window1, Qt::Key_1);
    QTRY_COMPARE(QApplication::focusWidget(), first->Memo1);
    QCOMPARE(Active(), first);
    QVERIFY(typed(first));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QTRY_COMPARE(QApplication::focusWidget(), second->Memo1);
    QCOMPARE(Active(), second);
    QCOMPARE(TaskCode, 102);
    QVERIFY(typed(second));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QTRY_COMPARE(QApplication::focusWidget(), first->Memo1);  // round again
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_COMPARE(QApplication::focusWidget(), third->Memo1);
    QCOMPARE(Active(), third);
    QVERIFY(!frame_->RunBtn->isVisible());
  }

  void everyFailedDataEditShowsItsErrorOnce_data() {
    QTest::addColumn<bool>("focusable");
    QTest::newRow("the window manager focuses the dialog") << true;
    QTest::newRow("it never does") << false;
  }
  // The dialog is on screen already (an earlier Data Edit left it there) and
  // the frame has the focus. Each Data Edit while the data file is missing shows
  // "File not found" once; with the file back, the rows are the task's.
  void everyFailedDataEditShowsItsErrorOnce() {
    QFETCH(bool, focusable);
    data_->setWindowFlag(Qt::WindowDoesNotAcceptFocus, !focusable);
    data_->show();
    Focus(frame_->MemoBegin);
    TEditForm* task = OpenTask(QStringLiteral("zad101.txt"));
    QVERIFY(prompts_->errors.isEmpty());
    const auto dataEdit = [&] {
      Focus(task->Memo1);
      frame_->EditDataBtnClick();
      if (focusable) QVERIFY(QTest::qWaitForWindowActive(data_.get()));
      QCoreApplication::processEvents();
      QVERIFY(data_->isVisible());
    };
    QVERIFY(QFile::remove(QStringLiteral("DataFile.dat")));
    dataEdit();
    QCOMPARE(prompts_->errors, QStringList{QStringLiteral("File not found: ") +
                                           QDir::current().absoluteFilePath(QStringLiteral("DataFile.dat"))});
    QTest::mouseClick(data_->ButtonCancel(), Qt::LeftButton);
    QVERIFY(data_->isHidden());
    dataEdit();
    QCOMPARE(prompts_->errors.size(), 2);
    QTest::mouseClick(data_->ButtonOk(), Qt::LeftButton);

    WriteBytes(QStringLiteral("DataFile.dat"), "1 changed         7 8 9\r\n");
    dataEdit();
    QCOMPARE(prompts_->errors.size(), 2);
    QCOMPARE(data_->windowTitle(), QStringLiteral("InitialData Task №101"));
    QCOMPARE(data_->ComboBox(1)->currentText(), QStringLiteral(" 7.00000"));
    QVERIFY(data_->ComboBox(1)->isVisible());
    QTest::mouseClick(data_->ButtonOk(), Qt::LeftButton);
    QCOMPARE(TaskParams.P1, 7.0);
  }

  // A result window holds the report its own run made, even when the report
  // file holds another run's by the time the window opens, and saves to the
  // report file of the folder it ran in, wherever the working directory has
  // moved since.
  void aResultWindowKeepsItsRunsReportAndFolder() {
    TEditForm* task = OpenTask(QStringLiteral("zad101.txt"));
    QVERIFY(Run());
    const QString ownReport = ReportText();
    Focus(task->Memo1);
    TEditForm* result = Run();
    // Another run's report in the file by now: the window keeps its own.
    WriteBytes(QStringLiteral("opt.out"), "another run\r\n");
    QVERIFY(result);
    QCOMPARE(result->windowTitle(), QStringLiteral("zad101.out( 2)"));
    QCOMPARE(result->Memo1->toPlainText(), ownReport);
    QCOMPARE(result->FileName(), dir_->path(QStringLiteral("opt.out")));

    QDir().mkdir(QStringLiteral("elsewhere"));
    const QString other = dir_->path(QStringLiteral("elsewhere"));
    QFile::copy(QStringLiteral("DataFile.dat"), other + QStringLiteral("/DataFile.dat"));
    WriteBytes(other + QStringLiteral("/opt.out"), "elsewhere\r\n");
    TEditForm* second = OpenTask(QStringLiteral("elsewhere/zad102.txt"));
    QVERIFY(second);
    QCOMPARE(QDir::currentPath(), QDir(other).canonicalPath());
    Focus(result->Memo1);
    result->Memo1->moveCursor(QTextCursor::End);
    QTest::keyClicks(result->Memo1, QStringLiteral("note"));
    QTest::keyClick(result->Memo1, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(prompts_->errors.isEmpty());
    QVERIFY(!result->Memo1->document()->isModified());
    QVERIFY(ReadBytes(dir_->path(QStringLiteral("opt.out"))).endsWith("note\r\n"));
    QCOMPARE(ReadBytes(dir_->path(QStringLiteral("opt.BAK"))), QByteArray("another run\r\n"));
    QCOMPARE(ReadBytes(other + QStringLiteral("/opt.out")), QByteArray("elsewhere\r\n"));
    QVERIFY(!QFile::exists(other + QStringLiteral("/opt.BAK")));
  }

  // Save As does not take a read-only file: the user is told and asked again,
  // and the window keeps its name, so Ctrl+S goes on saving where it did.
  void saveAsRefusesAReadOnlyFile() {
    TEditForm* task = OpenTask(QStringLiteral("zad101.txt"));
    const QString path = task->FileName();
    const QString locked = dir_->path(QStringLiteral("locked.txt"));
    WriteBytes(locked, "locked\r\n");
    SetMode(locked, 0444);
    GrantAll(dir_->path(QStringLiteral(".")));
    GrantAll(path);
    Focus(task->Memo1);
    // Nothing is drawn in the child: the drawing threads stay in this process.
    const int status = RunUnprivileged([&] {
      QTest::keyClicks(task->Memo1, QStringLiteral("edit "));
      prompts_->saveAnswers << locked << QString();
      QTest::keyClick(task->Memo1, Qt::Key_F, Qt::AltModifier);
      QWidget* menu = QApplication::activePopupWidget();
      CHILD_CHECK(menu);
      QTest::keyClick(menu, Qt::Key_A);  // Save &As...
      CHILD_CHECK(prompts_->errors ==
                  QStringList{locked + QStringLiteral(" is read-only. Choose another name.")});
      CHILD_CHECK(prompts_->savePresets == QStringList({path, locked}));
      CHILD_CHECK(task->windowTitle() == path && task->FileName() == path);
      CHILD_CHECK(task->Memo1->document()->isModified());
      CHILD_CHECK(ReadBytes(locked) == "locked\r\n");
      QTest::keyClick(task->Memo1, Qt::Key_S, Qt::ControlModifier);
      CHILD_CHECK(prompts_->errors.size() == 1);
      CHILD_CHECK(!task->Memo1->document()->isModified());
      CHILD_CHECK(ReadBytes(path) == "edit Задача\r\n");
      return true;
    });
    if (status == kNoUnprivilegedUser) QSKIP("this root cannot drop to an unprivileged user");
    QCOMPARE(status, 0);
  }

  // In a folder that takes no new file (so no temporary file and no backup),
  // a writable file is rewritten in place; a write that fails there puts the
  // old text back and says so, and a read-only file stays refused.
  void aFolderWithoutRoomForNewFilesIsSavedInPlace() {
    QVERIFY(QDir().mkdir(QStringLiteral("locked")));
    const QString folder = dir_->path(QStringLiteral("locked"));
    WriteBytes(folder + QStringLiteral("/fixed.txt"), "fixed\r\n");
    QVERIFY(QFile::copy(QStringLiteral("DataFile.dat"), folder + QStringLiteral("/DataFile.dat")));
    TEditForm* fixed = OpenTask(QStringLiteral("locked/fixed.txt"));
    TEditForm* notes = OpenTask(QStringLiteral("locked/notes.txt"));
    SetMode(fixed->FileName(), 0444);
    GrantAll(notes->FileName());
    GrantAll(dir_->path(QStringLiteral(".")));
    SetMode(folder, 0555);
    Focus(notes->Memo1);
    QVERIFY(prompts_->errors.isEmpty());
    const int status = RunUnprivileged([&] {
      QTest::keyClicks(notes->Memo1, QStringLiteral("new "));
      QTest::keyClick(notes->Memo1, Qt::Key_S, Qt::ControlModifier);
      CHILD_CHECK(prompts_->errors.isEmpty());
      CHILD_CHECK(!notes->Memo1->document()->isModified());
      CHILD_CHECK(ReadBytes(notes->FileName()) == "new Задача\r\n");
      CHILD_CHECK(QDir(folder).entryList(QDir::Files | QDir::Hidden) ==
                  QStringList({"DataFile.dat", "fixed.txt", "notes.txt"}));
      {
        FileSizeLimit full(64);
        QTest::keyClicks(notes->Memo1, QString(200, u'x'));
        QTest::keyClick(notes->Memo1, Qt::Key_S, Qt::ControlModifier);
      }
      CHILD_CHECK(prompts_->errors.size() == 1);
      CHILD_CHECK(prompts_->errors[0].contains(notes->FileName()));
      CHILD_CHECK(prompts_->errors[0].contains(QStringLiteral("in place")));
      CHILD_CHECK(prompts_->errors[0].endsWith(QStringLiteral("The file keeps its previous text.")));
      CHILD_CHECK(notes->Memo1->document()->isModified());
      CHILD_CHECK(ReadBytes(notes->FileName()) == "new Задача\r\n");

      QTest::keyClicks(fixed->Memo1, QStringLiteral("edit"));
      CHILD_CHECK(!fixed->Save1Click());
      CHILD_CHECK(prompts_->errors.last() == QStringLiteral("Cannot create file ") + fixed->FileName());
      CHILD_CHECK(ReadBytes(fixed->FileName()) == "fixed\r\n");
      return true;
    });
    SetMode(folder, 0755);
    if (status == kNoUnprivilegedUser) QSKIP("this root cannot drop to an unprivileged user");
    QCOMPARE(status, 0);
  }

  // Save, Cut, Copy and Paste on the tool bar act on the active document
  // window, enabled as its menu items are, and do nothing without one.
  void theEditingButtonsActOnTheActiveWindow() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    frame_->NewChild();
    TEditForm* untitled = Active();
    QCOMPARE(Enabled(*frame_), QStringLiteral("Save"));
    TEditForm* task = OpenTask(QStringLiteral("zad101.txt"));
    Focus(task->Memo1);
    QTest::keyClick(task->Memo1, Qt::Key_End, Qt::ShiftModifier);
    const QString line = task->Memo1->textCursor().selectedText();
    QVERIFY(!line.isEmpty());
    QCOMPARE(Enabled(*frame_), QStringLiteral("Save Cut Copy"));
    QTest::mouseClick(frame_->CopyBtn, Qt::LeftButton);
    QCOMPARE(clipboard->text(), line);
    QCOMPARE(Enabled(*frame_), QStringLiteral("Save Cut Copy Paste"));
    QTest::keyClick(task->Memo1, Qt::Key_End);
    QCOMPARE(Enabled(*frame_), QStringLiteral("Save Paste"));
    QTest::mouseClick(frame_->PasteBtn, Qt::LeftButton);
    QCOMPARE(doctext::Lines(task->Memo1->toPlainText()).first(), line + line);
    QTest::mouseClick(frame_->SaveBtn, Qt::LeftButton);
    QVERIFY(!task->Memo1->document()->isModified());
    const QByteArray original = ReadBytes(QStringLiteral("zad101.BAK"));
    QCOMPARE(ReadBytes(task->FileName()), original.chopped(2) + original);
    QTest::keyClick(task->Memo1, Qt::Key_Home, Qt::ShiftModifier);
    QTest::mouseClick(frame_->CutBtn, Qt::LeftButton);
    QCOMPARE(clipboard->text(), line + line);
    QCOMPARE(doctext::Lines(task->Memo1->toPlainText()).first(), QString());

    // Another window: the buttons follow it.
    Focus(untitled->Memo1);
    QCOMPARE(Enabled(*frame_), QStringLiteral("Save Paste"));
    QTest::mouseClick(frame_->PasteBtn, Qt::LeftButton);
    QCOMPARE(untitled->Memo1->toPlainText(), line + line);
    clipboard->clear();
    QCOMPARE(Enabled(*frame_), QStringLiteral("Save"));

    for (QMdiSubWindow* w : Windows()) qobject_cast<TEditForm*>(w)->Memo1->document()->setModified(false);
    frame_->MdiArea->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(Windows().isEmpty());
    QCOMPARE(Visible(*frame_), QStringLiteral("Open Exit Save Cut Copy Paste EditData Run"));
    QCOMPARE(Enabled(*frame_), QString());
    clipboard->setText(QStringLiteral("clip"));
    QCOMPARE(Enabled(*frame_), QString());
    for (QToolButton* b : {frame_->SaveBtn, frame_->CutBtn, frame_->CopyBtn, frame_->PasteBtn})
      QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(prompts_->errors.isEmpty() && prompts_->savePresets.isEmpty());
  }

  void newHidesTheTaskCommands() {
    OpenTask(QStringLiteral("zad101.txt"));
    frame_->NewChild();
    QCOMPARE(Active()->windowTitle(), QStringLiteral("Untitled"));
    QCOMPARE(TaskFileName, QStringLiteral("Untitled"));
    QCOMPARE(Visible(*frame_), QStringLiteral("Open Exit Save Cut Copy Paste"));
  }

  void newOnAFreshStartShowsTheEditingButtons() {
    frame_->NewChild();
    QCOMPARE(Visible(*frame_), QStringLiteral("Open Exit Save Cut Copy Paste"));
    QVERIFY(!frame_->MemoBegin->isVisible());
  }

  void switchingWindowsFollowsTheirCaptions() {
    TEditForm* first = OpenTask(QStringLiteral("zad101.txt"));
    TEditForm* second = OpenTask(QStringLiteral("abc107.txt"));
    TEditForm* result = Run();
    QVERIFY(result);
    QCOMPARE(result->windowTitle(), QStringLiteral("abc107.out( 1)"));
    Focus(first->Memo1);
    QCOMPARE(TaskCode, 101);
    QVERIFY(frame_->RunBtn->isVisible());
    Focus(result->Memo1);
    QVERIFY(!frame_->RunBtn->isVisible());
    QCOMPARE(TaskFileName, QStringLiteral("abc107.out"));
    Focus(second->Memo1);
    QCOMPARE(TaskCode, 107);
    QVERIFY(frame_->RunBtn->isVisible());
  }

  void anExtensionOutShowsRunOnlyUntilTheNextActivation() {
    TEditForm* out = OpenTask(QStringLiteral("old101.out"));
    QVERIFY(frame_->RunBtn->isVisible());
    frame_->NewChild();
    Focus(out->Memo1);
    QVERIFY(!frame_->RunBtn->isVisible());
    TEditForm* upper = OpenTask(QStringLiteral("new101.OUT"));
    frame_->NewChild();
    Focus(upper->Memo1);
    QVERIFY(frame_->RunBtn->isVisible());
  }

  void anUnknownCodeOpensTheFileButRunsNothing() {
    TEditForm* task = OpenTask(QStringLiteral("notes.txt"));
    QVERIFY(task);
    QCOMPARE(TaskCode, 0);
    QVERIFY(frame_->RunBtn->isVisible());
    WriteBytes(QStringLiteral("opt.out"), "old");
    QVERIFY(!Run());
    QCOMPARE(ReadBytes(QStringLiteral("opt.out")), QByteArray("old"));
    QVERIFY(prompts_->errors.isEmpty());
  }

  void aShortNameIsItsOwnPrefix() {
    QDir().mkdir(QStringLiteral("d"));
    QFile::copy(QStringLiteral("DataFile.dat"), QStringLiteral("d/DataFile.dat"));
    OpenTask(QStringLiteral("a"));  // no code: Run does nothing
    QVERIFY(!Run());
    // A name of exactly six characters carrying a code.
    TEditForm* task = OpenTask(QStringLiteral("xyz104"));
    QVERIFY(task);
    QCOMPARE(RunFrom(task), QStringLiteral("xyz104.out( 1)"));
  }

  void aLongNameIsCutToTenCharacters() {
    TEditForm* task = OpenTask(QStringLiteral("zad101-statement.txt"));
    QCOMPARE(TaskFileName, QStringLiteral("zad101-sta"));
    QCOMPARE(TaskCode, 101);
    QCOMPARE(RunFrom(task), QStringLiteral("zad101.out( 1)"));
  }

  void theCounterShowsItsFirstTwoDigits() {
    TEditForm* task = OpenTask(QStringLiteral("zad101.txt"));
    ResultWindowCounters[0] = 8;
    QCOMPARE(RunFrom(task), QStringLiteral("zad101.out( 9)"));
    QCOMPARE(RunFrom(task), QStringLiteral("zad101.out(10)"));
    ResultWindowCounters[0] = 99;
    QCOMPARE(RunFrom(task), QStringLiteral("zad101.out(10)"));  // 100
  }

  void errorsAreShownAndTheProgramGoesOn() {
    // A file that cannot be read leaves an empty window.
    prompts_->openAnswers << dir_->path(QStringLiteral("missing101.txt"));
    frame_->OpenChild();
    QCOMPARE(prompts_->errors.size(), 1);
    QVERIFY(prompts_->errors[0].startsWith(QStringLiteral("Cannot open file ")));
    QCOMPARE(Active()->windowTitle(), QStringLiteral("Untitled"));

    // Without a data file the task still opens.
    QFile::remove(QStringLiteral("DataFile.dat"));
    TEditForm* task = OpenTask(QStringLiteral("zad102.txt"));
    QCOMPARE(prompts_->errors.last(), QStringLiteral("File not found: ") +
                                          QDir::current().absoluteFilePath(QStringLiteral("DataFile.dat")));
    QCOMPARE(task->windowTitle(), dir_->path(QStringLiteral("zad102.txt")));

    // Data a solver cannot take end the run with a message and no window.
    dir_->CopyDataFile();
    TaskParams.P1 = 0;
    WriteBytes(QStringLiteral("opt.out"), "old");
    QVERIFY(!Run());
    QCOMPARE(prompts_->errors.last(), QStringLiteral("Недопустимые исходные данные: k(1) = 0"));
    QCOMPARE(ReadBytes(QStringLiteral("opt.out")), QByteArray("old"));
  }

  void aDataFileThatVanishesAfterOpenDoesNotStopTheRun() {
    TEditForm* task = OpenTask(QStringLiteral("zad113.txt"));
    QVERIFY(QFile::remove(QStringLiteral("DataFile.dat")));
    QCOMPARE(RunFrom(task), QStringLiteral("zad113.out( 1)"));
    QVERIFY(prompts_->errors.isEmpty());
    // Data Edit needs it again, and says so.
    Focus(task->Memo1);
    ShowDataForm();
    QCOMPARE(prompts_->errors, QStringList{QStringLiteral("File not found: ") +
                                           QDir::current().absoluteFilePath(QStringLiteral("DataFile.dat"))});
  }

  void theWorkingDirectoryFollowsTheChosenFile() {
    QDir().mkdir(QStringLiteral("elsewhere"));
    const QString other = dir_->path(QStringLiteral("elsewhere"));
    QFile::copy(QStringLiteral("DataFile.dat"), other + QStringLiteral("/DataFile.dat"));
    WriteBytes(other + QStringLiteral("/zad111.txt"), "text");
    prompts_->openAnswers << other + QStringLiteral("/zad111.txt");
    frame_->OpenChild();
    QCOMPARE(QDir::currentPath(), QDir(other).canonicalPath());
    QVERIFY(Run());
    QVERIFY(QFile::exists(other + QStringLiteral("/opt.out")));
    QVERIFY(!QFile::exists(dir_->path(QStringLiteral("opt.out"))));
  }

  void typingIntoTheStartTextAsksForAFile() {
    frame_->MemoBegin->insertPlainText(QStringLiteral("x"));  // the dialog is cancelled
    QVERIFY(frame_->MemoBegin->isVisible());
    QVERIFY(frame_->MemoBegin->toPlainText().contains(QLatin1Char('x')));
    QVERIFY(Windows().isEmpty());
  }

  // Windows nobody typed in close without a question: a new text, a
  // statement and a report.
  void exitAsksNothingOfUntouchedWindows() {
    frame_->NewChild();
    Focus(OpenTask(QStringLiteral("zad101.txt"))->Memo1);
    QVERIFY(Run());
    frame_->NewChild();
    frame_->Exit1Click();
    QCOMPARE(prompts_->confirmTexts, QStringList());
    QVERIFY(!frame_->isVisible());
  }

  void everyStatementSaysThatACommaIsTaken() {
    const QStringList statements =
        QDir(QStringLiteral(REACTOPT_TASKS_DIR)).entryList({QStringLiteral("zad*.txt")}, QDir::Files);
    QCOMPARE(statements.size(), 25);
    for (const QString& name : statements) {
      prompts_->openAnswers << QStringLiteral(REACTOPT_TASKS_DIR "/") + name;
      frame_->OpenChild();
      const QString text = Active()->Memo1->toPlainText().simplified();
      QVERIFY2(text.contains(QStringLiteral("дробную часть точкой или запятой")), qPrintable(name));
    }
  }

  void exitAsksAboutModifiedWindows() {
    TEditForm* task = OpenTask(QStringLiteral("zad101.txt"));
    task->Memo1->insertPlainText(QStringLiteral("edit"));
    prompts_->confirmAnswers << QMessageBox::Cancel;
    frame_->Exit1Click();
    QCOMPARE(prompts_->confirmTexts,
             QStringList{QStringLiteral("Save Changes to '%1'?").arg(task->windowTitle())});
    QVERIFY(frame_->isVisible());
    QCOMPARE(Windows().size(), 1);

    prompts_->confirmAnswers << QMessageBox::No;
    frame_->Exit1Click();
    QVERIFY(!frame_->isVisible());
    QCOMPARE(prompts_->confirmTexts.size(), 2);  // asked once per window
  }
};

REACTOPT_GUI_TEST_MAIN(FrameTest)
#include "FrameTest.moc"
