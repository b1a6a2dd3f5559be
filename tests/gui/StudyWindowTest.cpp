// "Исследование параметра...": the dialog offers the open task's fields with
// their offered range, refuses a bad request with a message and makes no
// study; the window shows the core's study, a refused point as a gap, and
// saves the core's CSV and a PNG whole.

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/MDIFrame.h"
#include "app/StudyDialog.h"
#include "app/StudyWindow.h"
#include "base/WholeFile.h"

class StudyWindowTest : public QObject {
  Q_OBJECT

  static teaching::StudyRequest Task(int code) {
    teaching::StudyRequest task;
    task.code = code;
    task.dataFile = ReadRegularFile(REACTOPT_TASKS_DIR "/DataFile.dat", 1 << 20);
    return task;
  }
  static teaching::StudyRequest TaskFile(const char* name) {
    teaching::StudyRequest task;
    task.scheme = ReadRegularFile(std::string(REACTOPT_TASKS_DIR "/") + name, 1 << 20);
    task.schemeName = name;
    return task;
  }
  static void Ask(TStudyDialog& dialog, const QString& low, const QString& high, int count,
                  bool log = false) {
    dialog.LowEdit->setText(low);
    dialog.HighEdit->setText(high);
    dialog.CountBox->setValue(count);
    dialog.LogBox->setChecked(log);
  }

 private slots:
  void offersTheFieldsAndTheirWidenedSpan() {
    TStudyDialog dialog(Task(101));
    QCOMPARE(dialog.ParameterBox->count(), 2);
    QCOMPARE(dialog.ParameterBox->itemText(0), QStringLiteral("Конст. k1, 1/с"));
    // k1 is offered as 1, 0.5 and 2: half the least to twice the greatest.
    QCOMPARE(dialog.LowEdit->text(), QStringLiteral("0.25"));
    QCOMPARE(dialog.HighEdit->text(), QStringLiteral("4"));
    dialog.ParameterBox->setCurrentIndex(1);
    QCOMPARE(dialog.Request().parameter, std::string("2"));
  }

  // A task file's parameters by their labels, each with the span of its
  // offered values widened as a built-in field's.
  void offersATaskFilesParameters_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("high");
    QTest::newRow("k1: 1, 0.5, 2") << 0 << "Конст. k1, м3/(кмоль*с)"
                                   << "0.25"
                                   << "4";
    QTest::newRow("Cb0: 1.5, 1, 2") << 3 << "Конц. B на входе, кмоль/м3"
                                    << "0.5"
                                    << "4";
    QTest::newRow("W0: 0.01, 0.005, 0.02") << 4 << "Скорость подачи, м3/с"
                                           << "0.0025"
                                           << "0.04";
  }
  void offersATaskFilesParameters() {
    QFETCH(int, index);
    QFETCH(QString, label);
    QFETCH(QString, low);
    QFETCH(QString, high);
    TStudyDialog dialog(TaskFile("dimer-tank.toml"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Исследование параметра: dimer-tank.toml"));
    QCOMPARE(dialog.ParameterBox->count(), 5);
    dialog.ParameterBox->setCurrentIndex(index);
    QCOMPARE(dialog.ParameterBox->currentText(), label);
    QCOMPARE(dialog.LowEdit->text(), low);
    QCOMPARE(dialog.HighEdit->text(), high);
    QCOMPARE(dialog.Request().parameter, std::to_string(index + 1));
  }

  void refusesABadRangeWithAMessage_data() {
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("high");
    QTest::addColumn<bool>("log");
    QTest::addColumn<QString>("named");
    QTest::newRow("not a number") << "abc"
                                  << "2" << false << "«От»: «abc»";
    QTest::newRow("high not a number") << "1"
                                       << "2..5" << false << "«До»: «2..5»";
    QTest::newRow("reversed") << "2"
                              << "1" << false << "должна быть меньше верхней";
    QTest::newRow("log from zero") << "0"
                                   << "1" << true << "логарифмической";
    QTest::newRow("negative") << "-1"
                              << "1" << false << "отрицательна";
  }
  void refusesABadRangeWithAMessage() {
    QFETCH(QString, low);
    QFETCH(QString, high);
    QFETCH(bool, log);
    QFETCH(QString, named);
    ScriptedPrompts prompts;
    TStudyDialog dialog(Task(101));
    Ask(dialog, low, high, 5, log);
    QVERIFY(!dialog.RunStudy());
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY2(prompts.errors[0].contains(named), qPrintable(prompts.errors[0]));
    QVERIFY(dialog.Result().points.empty());
  }

  void showsTheStudyWithAGapAndSavesItsCsv() {
    TempWorkDir dir;
    ScriptedPrompts prompts;
    TStudyDialog dialog(Task(101));
    // k1 = 0 is data the task refuses: the first point is a gap.
    Ask(dialog, QStringLiteral("0"), QStringLiteral("2"), 5);
    QVERIFY(dialog.RunStudy());
    TStudyWindow window(dialog.Result(), dialog.Request(), QStringLiteral("zad101"));
    QCOMPARE(window.windowTitle(), QStringLiteral("zad101: исследование k1"));
    QCOMPARE(window.Table->rowCount(), 5);
    QVERIFY(window.Table->item(0, 1)->text().startsWith(QStringLiteral("пробел: ")));
    QCOMPARE(window.Table->item(4, 0)->text(), QStringLiteral("2"));
    // The table holds the core's digits, in the labels' order.
    const teaching::Study& study = window.Study();
    QVERIFY(study.points[2].ran);
    for (std::size_t i = 0; i < study.labels.size(); ++i)
      QCOMPARE(window.Table->item(2, static_cast<int>(i) + 1)->text(),
               QString::fromStdString(study.points[2].answers[i]));

    QVERIFY(window.SaveCsv(dir.path(QStringLiteral("study.csv"))));
    const QByteArray csv = ReadBytes(dir.path(QStringLiteral("study.csv")));
    QCOMPARE(csv, QByteArray::fromStdString(teaching::StudyCsv(teaching::RunStudy(dialog.Request()))));
    QVERIFY(csv.startsWith("k1,"));
    QCOMPARE(csv.split('\n')[1], QByteArray("0") + QByteArray(static_cast<int>(study.labels.size()), ','));

    QVERIFY(window.SavePng(dir.path(QStringLiteral("study.png"))));
    QCOMPARE(QImage(dir.path(QStringLiteral("study.png"))).size(), QSize(900, 540));
    QVERIFY(prompts.errors.isEmpty());
    // Printed: what was studied, then the table, a gap's reason in its row.
    const QStringList lines = window.PrintedLines();
    QVERIFY(lines[0].contains(QStringLiteral("от 0 до 2, точек 5")));
    QVERIFY(lines.filter(QStringLiteral("пробел: ")).size() == 1);
  }

  void printsTheTableAndTheChartOnOnePage() {
    TempWorkDir dir;
    ScriptedPrompts prompts;
    const QString pdf = dir.path(QStringLiteral("study.pdf"));
    prompts.script.print = [&pdf](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      printer.setPageSize(QPageSize(QPageSize::A4));
      return true;
    };
    TStudyDialog dialog(Task(101));
    QVERIFY(dialog.RunStudy());
    TStudyWindow window(dialog.Result(), dialog.Request(), QStringLiteral("zad101"));
    window.PrintBtn->click();
    QVERIFY(prompts.errors.isEmpty());
    const QByteArray bytes = ReadBytes(pdf);
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(bytes.count("/Type /Page\n"), 1);
    // The chart's title prints at the size of the text above it, not in
    // screen pixels shrunk to printer dots.
    QProcess extract;
    extract.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QVERIFY(extract.waitForFinished(30000));
    const QString words = QString::fromUtf8(extract.readAllStandardOutput());
    const QRegularExpressionMatch title =
        QRegularExpression(QStringLiteral(R"re(yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">Оптимум<)re"))
            .match(words);
    QVERIFY2(title.hasMatch(), qPrintable(words.left(400)));
    QVERIFY2(title.captured(2).toDouble() - title.captured(1).toDouble() > 5, qPrintable(title.captured(0)));
  }

  void theMenuAsksForATaskFirst() {
    ScriptedPrompts prompts;
    TFrameForm frame;
    QAction* study = nullptr;
    for (QAction* a : frame.Task1->actions())
      if (a->text().remove(QLatin1Char('&')) == QStringLiteral("Исследование параметра...")) study = a;
    QVERIFY(study);
    TaskFileName = QStringLiteral("Untitled");
    study->trigger();
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY(prompts.errors[0].startsWith(QStringLiteral("Откройте задачу")));
    QVERIFY(frame.MdiArea->subWindowList().isEmpty());
  }

  void aFileThatCannotBeWrittenIsNamed() {
    TempWorkDir dir;
    ScriptedPrompts prompts;
    TStudyDialog dialog(Task(103));
    QVERIFY(dialog.RunStudy());
    TStudyWindow window(dialog.Result(), dialog.Request(), QStringLiteral("zad103"));
    const QString name = dir.path(QStringLiteral("no-such-folder/study.csv"));
    QVERIFY(!window.SaveCsv(name));
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY2(prompts.errors[0].contains(QStringLiteral("no-such-folder")), qPrintable(prompts.errors[0]));
  }
};

REACTOPT_GUI_TEST_MAIN(StudyWindowTest)
#include "StudyWindowTest.moc"
