// Takes the pictures of the program that the README shows and reviewers look
// at: the start screen, a task window with its data dialog, a result window,
// and, in a main window of 1366 by 768 pixels, three result windows tiled and
// one maximised; a parameter study's dialog and window; then a task file of
// one's own, its data dialog, its result window and its study. Run through
// take_screenshots.sh.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <clocale>

#include "app/MDIFrame.h"
#include "app/StudyDialog.h"
#include "app/StudyWindow.h"
#include "base/WholeFile.h"
#include "data_dialog/DataForm.h"
#include "data_dialog/SchemeDataForm.h"
#include "result_windows/MDIEdit.h"
#include "window_services/Activation.h"
#include "window_services/Prompts.h"

namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) {
    QCoreApplication::processEvents();
    QTest::qWait(20);
  }
}

bool Save(const QPixmap& pixmap, const QString& dir, const QString& name) {
  const QString path = QDir(dir).filePath(name);
  const bool ok = pixmap.save(path);
  std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
  return ok;
}

// The frame with the data dialog drawn over it where it stands.
QPixmap WithDialog(TFrameForm& frame, QDialog& dialog) {
  QPixmap shot = frame.grab();
  const QPixmap box = dialog.grab();
  QPainter p(&shot);
  const QPoint at(shot.width() - box.width() - 60, 90);
  p.fillRect(QRect(at - QPoint(4, 26), box.size() + QSize(8, 30)), QColor(70, 100, 160));
  p.setPen(Qt::white);
  p.drawText(QRect(at - QPoint(0, 24), QSize(box.width(), 22)), Qt::AlignVCenter, dialog.windowTitle());
  p.drawPixmap(at, box);
  return shot;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s TASKS_DIR OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const QString tasks = QString::fromLocal8Bit(argv[1]);
  const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
  QDir().mkpath(out);

  // Work on a copy, so the run's report does not land in the task folder.
  QTemporaryDir work;
  for (const QString& name : QDir(tasks).entryList(QDir::Files))
    QFile::copy(QDir(tasks).filePath(name), work.filePath(name));
  QDir::setCurrent(work.path());

  prompts::Script script;
  QStringList opened = {work.filePath(QStringLiteral("zad105.txt")),
                        work.filePath(QStringLiteral("dimer-tank.toml"))};
  script.openFileName = [&] { return opened.isEmpty() ? QString() : opened.takeFirst(); };
  prompts::SetScript(&script);

  TActivationTracker::Instance();
  TFrameForm frame;
  TDataForm dialog;
  DataForm = &dialog;
  frame.resize(1100, 720);
  frame.show();
  frame.activateWindow();
  (void)QTest::qWaitForWindowActive(&frame);
  frame.resize(1100, 720);  // the frame maximises itself when activated
  Settle();
  bool ok = Save(frame.grab(), out, QStringLiteral("start.png"));

  frame.OpenChild();
  QMdiSubWindow* task = frame.MdiArea->activeSubWindow();
  task->setGeometry(10, 10, 620, 560);
  frame.EditDataBtnClick();
  (void)QTest::qWaitForWindowActive(&dialog);
  Settle();
  ok = Save(WithDialog(frame, dialog), out, QStringLiteral("task-and-data.png")) && ok;

  dialog.ButtonOkClick();
  frame.MdiArea->activeSubWindow()->widget()->setFocus();
  Settle();
  frame.RunBtnClick();
  QMdiSubWindow* result = frame.MdiArea->activeSubWindow();
  // Over the statement's right part, wholly in the frame.
  result->move(std::min(360, frame.MdiArea->viewport()->width() - result->width() - 10), 90);
  Settle();
  ok = Save(frame.grab(), out, QStringLiteral("result.png")) && ok;

  // A common laptop screen: two more runs, the windows tiled, then the last
  // result maximised.
  frame.resize(1366, 768);
  for (int i = 0; i < 2; ++i) {
    // Without a display no focus moves; the task window is activated as a
    // click into it would.
    frame.MdiArea->setActiveSubWindow(task);
    TActivationTracker::Instance().Activate(task);
    Settle();
    frame.RunBtnClick();
  }
  frame.Tile1Click();
  // The reports scrolled to their answers, as a student reads them.
  for (QMdiSubWindow* window : frame.MdiArea->subWindowList())
    if (auto* report = qobject_cast<TEditForm*>(window); report && window != task)
      report->Memo1->verticalScrollBar()->setValue(report->Memo1->verticalScrollBar()->maximum());
  Settle();
  ok = Save(frame.grab(), out, QStringLiteral("result-tiled.png")) && ok;
  frame.MdiArea->activeSubWindow()->showMaximized();
  Settle();
  ok = Save(frame.grab(), out, QStringLiteral("result-maximised.png")) && ok;

  // How the optimum of task 105 moves with k2, in its window over the others.
  frame.MdiArea->activeSubWindow()->showNormal();
  teaching::StudyRequest request;
  request.code = 105;
  request.dataFile = ReadRegularFile("DataFile.dat", 1 << 20);
  TStudyDialog ask(request);
  ask.ParameterBox->setCurrentIndex(1);
  ask.CountBox->setValue(41);
  ask.show();
  Settle();
  ok = Save(ask.grab(), out, QStringLiteral("study-dialog.png")) && ok;
  ask.hide();
  if (ask.RunStudy()) {
    auto* study = new TStudyWindow(ask.Result(), ask.Request(), QStringLiteral("zad105"));
    frame.MdiArea->addSubWindow(study);
    study->setGeometry(200, 20, 900, 660);
    study->show();
    Settle();
    ok = Save(frame.grab(), out, QStringLiteral("study-desktop.png")) && ok;
  } else {
    ok = false;
  }

  // A task file of one's own, in a fresh frame at a laptop's size.
  {
    TFrameForm own;
    own.resize(1366, 768);
    own.show();
    own.activateWindow();
    (void)QTest::qWaitForWindowActive(&own);
    own.resize(1366, 768);
    Settle();
    own.OpenChild();
    QMdiSubWindow* file = own.MdiArea->activeSubWindow();
    file->setGeometry(10, 10, 700, 640);
    Settle();
    ok = Save(own.grab(), out, QStringLiteral("taskfile.png")) && ok;
    own.EditDataBtnClick();
    Settle();
    if (auto* data = own.findChild<TSchemeDataForm*>()) {
      ok = Save(WithDialog(own, *data), out, QStringLiteral("taskfile-data.png")) && ok;
      data->ButtonOkClick();
    }
    own.MdiArea->setActiveSubWindow(file);
    TActivationTracker::Instance().Activate(file);
    Settle();
    own.RunBtnClick();
    QMdiSubWindow* run = own.MdiArea->activeSubWindow();
    run->move(std::min(300, own.MdiArea->viewport()->width() - run->width() - 10), 60);
    Settle();
    ok = Save(own.grab(), out, QStringLiteral("taskfile-result.png")) && ok;

    // Its study over k2, asked from the file's window; the dialog is answered
    // from the event loop it runs.
    own.MdiArea->setActiveSubWindow(file);
    TActivationTracker::Instance().Activate(file);
    Settle();
    bool asked = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* asking = qobject_cast<TStudyDialog*>(QApplication::activeModalWidget());
      if (!asking) return;
      poll.stop();
      asked = true;
      asking->ParameterBox->setCurrentIndex(1);
      asking->CountBox->setValue(41);
      Settle();
      ok = Save(WithDialog(own, *asking), out, QStringLiteral("taskfile-study-dialog.png")) && ok;
      if (asking->RunStudy())
        asking->accept();
      else
        asking->reject();
    });
    poll.start();
    own.StudyClick();
    poll.stop();
    QMdiSubWindow* study = own.MdiArea->subWindowList().last();
    if (asked && study != run) {
      study->setGeometry(400, 20, 900, 660);
      Settle();
      ok = Save(own.grab(), out, QStringLiteral("taskfile-study.png")) && ok;
    } else {
      ok = false;
    }
  }

  prompts::SetScript(nullptr);
  DataForm = nullptr;
  return ok ? 0 : 1;
}
