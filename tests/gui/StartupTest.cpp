// The start a student sees: the main window alone, with the menu entry's icon,
// and a workspace that cannot be used told in the window, not only on a
// terminal that a start from the menu does not have.

#include <QAbstractButton>
#include <QFile>
#include <QIcon>
#include <QMenuBar>

#include "GuiTestSupport.h"
#include "app/MDIFrame.h"
#include "app/Startup.h"
#include "workspace/Workspace.h"

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void theMainWindowComesAlone();
  void aWorkspaceThatCannotBeUsedIsToldInTheWindow();
  void qtsOwnTextsSpeakTheSystemsLanguage_data();
  void qtsOwnTextsSpeakTheSystemsLanguage();
};

void StartupTest::theMainWindowComesAlone() {
  ScriptedPrompts prompts;
  TProgramWindows windows;
  QVERIFY(QTest::qWaitForWindowExposed(&windows.Frame()));
  QCoreApplication::processEvents();
  QWidgetList shown;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible()) shown << window;
  QCOMPARE(shown, QWidgetList{&windows.Frame()});  // no empty data dialog
  QVERIFY(prompts.errors.isEmpty());
  const auto image = [](const QImage& i) { return i.convertToFormat(QImage::Format_ARGB32_Premultiplied); };
  const QImage menuIcon =
      image(QImage(QStringLiteral(REACTOPT_TASKS_DIR "/../packaging/icons/reactopt-48.png")));
  QVERIFY(!menuIcon.isNull());
  QCOMPARE(image(windows.Frame().windowIcon().pixmap(48).toImage()), menuIcon);
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

void StartupTest::qtsOwnTextsSpeakTheSystemsLanguage_data() {
  QTest::addColumn<QString>("locale");
  QTest::addColumn<QStringList>("buttons");
  QTest::newRow("Russian") << "ru_RU" << QStringList{"&Да", "&Нет", "Отмена"};
  QTest::newRow("English") << "en_GB" << QStringList{"&Yes", "&No", "Cancel"};
}

// The buttons of the program's questions come from Qt, and so do the texts
// of its file, print and font dialogs; the program's own captions do not
// change with the language.
void StartupTest::qtsOwnTextsSpeakTheSystemsLanguage() {
  QFETCH(QString, locale);
  QFETCH(QStringList, buttons);
  const QLocale old;
  QLocale::setDefault(QLocale(locale));
  TProgramWindows windows;
  QLocale::setDefault(old);
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), QStringLiteral("?"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  QStringList shown;
  for (QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
    shown << box.button(b)->text();
  QCOMPARE(shown, buttons);
  QCOMPARE(windows.Frame().menuBar()->actions().first()->text(), QStringLiteral("&File"));
}

REACTOPT_GUI_TEST_MAIN(StartupTest)
#include "StartupTest.moc"
