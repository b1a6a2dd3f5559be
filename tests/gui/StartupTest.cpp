// The start a student sees: the main window alone, with the menu entry's icon,
// and a workspace that cannot be used told in the window, not only on a
// terminal that a start from the menu does not have.

#include <QFile>
#include <QIcon>

#include "GuiTestSupport.h"
#include "app/MDIFrame.h"
#include "app/Startup.h"
#include "app/Workspace.h"
#include "base/TaskIdentity.h"
#include "data_dialog/DataForm.h"

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { TaskCode = 0; }
  void theMainWindowComesAlone();
  void aWorkspaceThatCannotBeUsedIsToldInTheWindow();
};

void StartupTest::theMainWindowComesAlone() {
  TempWorkDir dir;
  dir.CopyDataFile();
  ScriptedPrompts prompts;
  TProgramWindows windows;
  TFrameForm& frame = windows.Frame();
  QVERIFY(QTest::qWaitForWindowExposed(&frame));
  QCoreApplication::processEvents();
  QWidgetList shown;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible()) shown << window;
  QCOMPARE(shown, QWidgetList{&frame});
  QVERIFY(prompts.errors.isEmpty());

  const QImage menuIcon = QImage(QStringLiteral(REACTOPT_TASKS_DIR "/../packaging/icons/reactopt-48.png"))
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QVERIFY(!menuIcon.isNull());
  QCOMPARE(frame.windowIcon().pixmap(48).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
           menuIcon);

  // With a task open, Data Edit brings the dialog up over the main window.
  WriteBytes(dir.path(QStringLiteral("zad101.txt")), "Задача\r\n");
  prompts.openAnswers << dir.path(QStringLiteral("zad101.txt"));
  frame.OpenChild();
  QVERIFY(windows.DataDialog().isHidden());
  frame.EditDataBtnClick();
  QVERIFY(QTest::qWaitForWindowExposed(&windows.DataDialog()));
  QCOMPARE(windows.DataDialog().windowTitle(), QStringLiteral("InitialData Task №101"));
  QCOMPARE(windows.DataDialog().parentWidget(), &frame);
  windows.DataDialog().ButtonCancelClick();
}

void StartupTest::aWorkspaceThatCannotBeUsedIsToldInTheWindow() {
  TempWorkDir home;
  WriteBytes(home.path(QStringLiteral("ReactOpt")), "a file, not a folder");
  const QByteArray oldHome = qgetenv("HOME");
  qputenv("HOME", QFile::encodeName(home.path(QString())));
  qunsetenv("REACTOPT_WORKSPACE");
  const workspace::StartFolder start = workspace::EnterWorkspace(workspace::RunningProgram(nullptr), true);
  qputenv("HOME", oldHome);

  ScriptedPrompts prompts;
  TProgramWindows windows(QString::fromStdString(start.problem));
  QTRY_COMPARE(prompts.errors.size(), 1);
  QCOMPARE(prompts.errors[0],
           QStringLiteral("Рабочая папка %1 не является папкой; программа работает в папке %2.")
               .arg(home.path(QStringLiteral("ReactOpt")), QDir::currentPath()));
}

REACTOPT_GUI_TEST_MAIN(StartupTest)
#include "StartupTest.moc"
