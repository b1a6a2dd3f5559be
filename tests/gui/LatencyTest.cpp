// How long the student waits: from start to the main window on screen, and
// from pressing Run to the result window on screen. Printed, not asserted:
// the figures depend on the machine.

#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolButton>
#include <memory>

#include "GuiTestSupport.h"
#include "app/MDIFrame.h"
#include "data_dialog/DataForm.h"
#include "result_windows/MDIEdit.h"
#include "window_services/Activation.h"

class LatencyTest : public QObject {
  Q_OBJECT
 private slots:
  void startUpAndRun() {
    TempWorkDir dir;
    dir.CopyDataFile();
    WriteBytes(dir.path(QStringLiteral("zad123.txt")), "text");
    ScriptedPrompts prompts;
    prompts.openAnswers << dir.path(QStringLiteral("zad123.txt"));

    QElapsedTimer clock;
    clock.start();
    TActivationTracker::Instance();
    auto frame = std::make_unique<TFrameForm>();
    auto data = std::make_unique<TDataForm>();
    DataForm = data.get();
    data->show();
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    const qint64 startUp = clock.nsecsElapsed();

    frame->OpenChild();
    QVERIFY(frame->RunBtn->isVisible());
    clock.restart();
    frame->RunBtnClick();
    QMdiSubWindow* result = frame->MdiArea->activeSubWindow();
    QVERIFY(result && result->windowTitle() == QStringLiteral("zad123.out( 1)"));
    QVERIFY(QTest::qWaitForWindowExposed(result));
    const qint64 run = clock.nsecsElapsed();

    qInfo("main window shown %.1f ms after start; result window shown %.1f ms after Run",
          static_cast<double>(startUp) / 1e6, static_cast<double>(run) / 1e6);
    frame.reset();
    DataForm = nullptr;
  }
};

REACTOPT_GUI_TEST_MAIN(LatencyTest)
#include "LatencyTest.moc"
