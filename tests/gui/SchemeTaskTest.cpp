// A task file of one's own in the main window: opened, edited and saved like
// a statement, its parameters in Data Edit, run into a numbered result window
// and "opt.out", and a fault in it shown with its line before anything runs.
// And the exact optimum beside a built-in task's report, and a parameter
// study of the file as Run would take it.

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

#include "GuiTestSupport.h"
#include "app/MDIFrame.h"
#include "app/StudyDialog.h"
#include "app/StudyWindow.h"
#include "base/Cp1251.h"
#include "data_dialog/DataForm.h"
#include "data_dialog/SchemeDataForm.h"
#include "result_windows/ChartOpt.h"
#include "result_windows/MDIEdit.h"
#include "schemes/Scheme.h"
#include "solvers/RunOpt.h"
#include "window_services/Activation.h"

namespace {

QByteArray ShippedTaskFile(const QString& name) {
  return ReadBytes(QStringLiteral(REACTOPT_TASKS_DIR "/") + name);
}

// The report the engine makes of `text` with `values` (the defaults where
// empty), as the window's run must write it.
QByteArray EngineReport(const QByteArray& text, const QString& path, const std::vector<double>& values = {}) {
  const schemes::Scheme scheme = schemes::ParseScheme(text.toStdString(), path.toStdString());
  const std::vector<double> run = values.empty() ? schemes::ValuesWithDefaults(scheme, {}) : values;
  return QByteArray::fromStdString(schemes::RunScheme(scheme, run).report);
}

QString Decoded(const QByteArray& cp1251Bytes) {
  return QString::fromStdString(cp1251::ToUtf8(cp1251Bytes.toStdString()))
      .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

class SchemeTaskTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempWorkDir> dir_;
  std::unique_ptr<ScriptedPrompts> prompts_;
  std::unique_ptr<TFrameForm> frame_;
  std::unique_ptr<TDataForm> data_;

  TEditForm* Active() const { return qobject_cast<TEditForm*>(frame_->MdiArea->activeSubWindow()); }
  qsizetype WindowCount() const { return frame_->MdiArea->subWindowList().size(); }
  TSchemeDataForm* SchemeDialog() const { return frame_->findChild<TSchemeDataForm*>(); }

  // A file of the working directory, written when `bytes` are given, opened
  // through the Open dialog.
  TEditForm* OpenFile(const QString& name, const QByteArray& bytes = {}) {
    if (!bytes.isNull()) WriteBytes(dir_->path(name), bytes);
    prompts_->openAnswers << dir_->path(name);
    frame_->OpenChild();
    return Active();
  }
  TEditForm* OpenExample() {
    return OpenFile(QStringLiteral("dimer-tank.toml"), ShippedTaskFile(QStringLiteral("dimer-tank.toml")));
  }
  void Focus(QWidget* w) {
    w->activateWindow();
    w->setFocus();
    QCoreApplication::processEvents();
  }
  // The caption of the window a run from `task` opens, or "" for none.
  QString RunFrom(TEditForm* task) {
    Focus(task->Memo1);
    const qsizetype before = WindowCount();
    frame_->RunBtnClick();
    return WindowCount() > before ? Active()->windowTitle() : QString();
  }
  TSchemeDataForm* DataEditFrom(TEditForm* task) {
    Focus(task->Memo1);
    frame_->EditDataBtnClick();
    QCoreApplication::processEvents();
    TSchemeDataForm* dialog = SchemeDialog();
    return dialog && dialog->isVisible() ? dialog : nullptr;
  }
  // Task → «Исследование параметра...» from `task`'s window: `answer` gets
  // the dialog from the event loop it runs and closes it. The study window
  // it opens, or null; `asked` tells whether a dialog opened at all.
  TStudyWindow* StudyFrom(TEditForm* task, const std::function<void(TStudyDialog&)>& answer,
                          bool* asked = nullptr) {
    Focus(task->Memo1);
    const qsizetype before = WindowCount();
    bool opened = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<TStudyDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      poll.stop();
      opened = true;
      answer(*dialog);
    });
    poll.start();
    frame_->StudyClick();
    poll.stop();
    if (asked) *asked = opened;
    return WindowCount() > before ? qobject_cast<TStudyWindow*>(frame_->MdiArea->subWindowList().last())
                                  : nullptr;
  }
  void Type(TEditForm* window, int line, const QString& text) {
    QTextCursor cursor(window->Memo1->document()->findBlockByNumber(line - 1));
    cursor.insertText(text);
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
    for (QMdiSubWindow* w : frame_->MdiArea->subWindowList())
      if (auto* child = qobject_cast<TEditForm*>(w)) child->Memo1->document()->setModified(false);
    frame_.reset();
    DataForm = nullptr;
    data_.reset();
    prompts_.reset();
    dir_.reset();
  }

  // The file's bytes as opened, saved unchanged (the previous version kept
  // as ".BAK") and saved after one line more at its top.
  void savedAsItCame_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QByteArray>("edited");
    const QByteArray lf = "title = \"Схема\"\nkey = \"A\"\n";
    QTest::newRow("LF") << lf << lf << "# ok\n" + lf;
    QTest::newRow("CR LF") << QByteArray("a = 1\r\nb = \"ß\"\r\n") << QByteArray("a = 1\r\nb = \"ß\"\r\n")
                           << QByteArray("# ok\r\na = 1\r\nb = \"ß\"\r\n");
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + lf << "\xEF\xBB\xBF" + lf
                                     << "\xEF\xBB\xBF# ok\n" + lf;
    QTest::newRow("no last line end")
        << QByteArray("a = 1") << QByteArray("a = 1\n") << QByteArray("# ok\na = 1\n");
    // Windows-1251, as an editor of that system may have saved it: read as
    // the statements are, written back in UTF-8.
    QTest::newRow("Windows-1251") << QByteArray("t = \"\xD1\xF5\xE5\xEC\xE0\"\r\n")
                                  << QByteArray("t = \"Схема\"\r\n")
                                  << QByteArray("# ok\r\nt = \"Схема\"\r\n");
  }
  void savedAsItCame() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, saved);
    QFETCH(QByteArray, edited);
    TEditForm* task = OpenFile(QStringLiteral("my.toml"), bytes);
    QVERIFY(task);
    QCOMPARE(task->windowTitle(), dir_->path(QStringLiteral("my.toml")));
    QVERIFY(task->Save1Click());
    QCOMPARE(ReadBytes(dir_->path(QStringLiteral("my.toml"))), saved);
    QCOMPARE(ReadBytes(dir_->path(QStringLiteral("my.BAK"))), bytes);
    QVERIFY(!task->Memo1->document()->isModified());

    QTextCursor cursor(task->Memo1->document());
    if (bytes.startsWith("\xEF\xBB\xBF")) cursor.movePosition(QTextCursor::NextCharacter);
    cursor.insertText(QStringLiteral("# ok\n"));
    QVERIFY(task->Save1Click());
    QCOMPARE(ReadBytes(dir_->path(QStringLiteral("my.toml"))), edited);
    QCOMPARE(ReadBytes(dir_->path(QStringLiteral("my.BAK"))), saved);
  }

  // A task file reads no "DataFile.dat": it holds its data itself.
  void aTaskFileOpensAsATask() {
    QFile::remove(dir_->path(QStringLiteral("DataFile.dat")));
    TEditForm* task = OpenExample();
    QVERIFY(prompts_->errors.isEmpty());
    QCOMPARE(task->Memo1->document()->firstBlock().text(),
             QStringLiteral("title = \"Реакция A + B -> R с димеризацией продукта в реакторе смешения\""));
    QVERIFY(frame_->RunBtn->isVisible() && frame_->EditDataBtn->isVisible());
    QCOMPARE(RunFrom(task), QStringLiteral("dimer-tank.out( 1)"));
    QVERIFY(prompts_->errors.isEmpty());
  }

  void dataEditShowsTheParameters() {
    TEditForm* task = OpenExample();
    TSchemeDataForm* dialog = DataEditFrom(task);
    QVERIFY(dialog);
    QVERIFY(data_->isHidden());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("InitialData dimer-tank.toml"));
    QCOMPARE(dialog->FieldCount(), 5);
    const QStringList labels = {"Конст. k1, м3/(кмоль*с)", "Конст. k2, м3/(кмоль*с)",
                                "Конц. A на входе, кмоль/м3", "Конц. B на входе, кмоль/м3",
                                "Скорость подачи, м3/с"};
    const QList<QStringList> offered = {{"1", "0.5", "2"},
                                        {"1", "0.5", "2"},
                                        {"1", "0.5", "2"},
                                        {"1.5", "1", "2"},
                                        {"0.01", "0.005", "0.02"}};
    for (int i = 1; i <= 5; ++i) {
      QCOMPARE(dialog->Label(i)->text(), labels[i - 1]);
      QStringList items;
      for (int j = 0; j < dialog->ComboBox(i)->count(); ++j) items << dialog->ComboBox(i)->itemText(j);
      QCOMPARE(items, offered[i - 1]);
      QCOMPARE(dialog->ComboBox(i)->currentText(), offered[i - 1].first());
      QVERIFY(dialog->Label(i)->isVisible());
    }
    dialog->ButtonCancelClick();
    QVERIFY(dialog->isHidden());
  }

  void runsGiveNumberedWindowsAndTheReport() {
    TEditForm* task = OpenExample();
    const QString path = dir_->path(QStringLiteral("dimer-tank.toml"));
    QCOMPARE(RunFrom(task), QStringLiteral("dimer-tank.out( 1)"));
    const QByteArray report = EngineReport(ReadBytes(path), task->FileName());
    QCOMPARE(ReadBytes(dir_->path(QStringLiteral("opt.out"))), report);
    TEditForm* result = Active();
    QCOMPARE(result->Memo1->toPlainText(), Decoded(report));
    QVERIFY(result->ChartOpt->isVisible());
    const schemes::SchemeRun run = schemes::RunScheme(
        schemes::ParseScheme(ReadBytes(path).toStdString(), ""),
        schemes::ValuesWithDefaults(schemes::ParseScheme(ReadBytes(path).toStdString(), ""), {}));
    QCOMPARE(result->ChartOpt->Series2->count(), static_cast<int>(run.chart.size()));
    QCOMPARE(result->ChartOpt->Series2->at(1).y(), run.chart[1][2]);
    QCOMPARE(result->ChartOpt->Series1->at(1).y(), run.chart[1][1]);
    QVERIFY(result->ExactLabel->isHidden());
    QVERIFY(!frame_->RunBtn->isVisible() && !frame_->EditDataBtn->isVisible());
    QCOMPARE(RunFrom(task), QStringLiteral("dimer-tank.out( 2)"));
    // The result window saves the report in the run's folder.
    QCOMPARE(Active()->FileName(), dir_->path(QStringLiteral("opt.out")));
  }

  // OK keeps what was typed for the run, once every text is a number; Data
  // Edit again and Cancel bring back the defaults.
  void confirmedValuesReachTheRun() {
    TEditForm* task = OpenExample();
    TSchemeDataForm* dialog = DataEditFrom(task);
    QVERIFY(dialog);
    dialog->ComboBox(1)->setEditText(QStringLiteral("2,5"));
    dialog->ComboBox(5)->setEditText(QStringLiteral("abc"));
    dialog->ButtonOkClick();
    QCOMPARE(prompts_->errors,
             QStringList({"Недопустимое числовое значение в поле «Скорость подачи, м3/с»: «abc»"}));
    QVERIFY(dialog->isVisible());
    dialog->ComboBox(5)->setCurrentIndex(2);
    dialog->ButtonOkClick();
    QVERIFY(dialog->isHidden());
    QCOMPARE(RunFrom(task), QStringLiteral("dimer-tank.out( 1)"));
    const QByteArray text = ReadBytes(task->FileName());
    QCOMPARE(ReadBytes(QStringLiteral("opt.out")),
             EngineReport(text, task->FileName(), {2.5, 1, 1, 1.5, 0.02}));

    dialog = DataEditFrom(task);
    QVERIFY(dialog);
    QCOMPARE(dialog->ComboBox(1)->currentText(), QStringLiteral("1"));
    dialog->ComboBox(1)->setEditText(QStringLiteral("3"));
    dialog->ButtonCancelClick();
    RunFrom(task);
    QCOMPARE(ReadBytes(QStringLiteral("opt.out")), EngineReport(text, task->FileName()));
  }

  // The text in the window runs, saved or not; confirmed values stay only
  // while the parameters are those they were confirmed for.
  void anUnsavedEditIsWhatRuns() {
    TEditForm* task = OpenExample();
    TSchemeDataForm* dialog = DataEditFrom(task);
    QVERIFY(dialog);
    dialog->ComboBox(1)->setEditText(QStringLiteral("2"));
    dialog->ButtonOkClick();
    Type(task, 1, QStringLiteral("# an edit not saved\n"));
    RunFrom(task);
    const QByteArray edited = task->Text().toUtf8();
    QCOMPARE(ReadBytes(QStringLiteral("opt.out")),
             EngineReport(edited, task->FileName(), {2, 1, 1, 1.5, 0.01}));

    // k1 renamed: the values confirmed for k1 no longer apply.
    QString text = task->Text();
    text.replace(QStringLiteral("k1"), QStringLiteral("kf"));
    task->Memo1->setPlainText(text);
    RunFrom(task);
    QCOMPARE(ReadBytes(QStringLiteral("opt.out")), EngineReport(text.toUtf8(), task->FileName()));
    QCOMPARE(ReadBytes(task->FileName()), ShippedTaskFile(QStringLiteral("dimer-tank.toml")));
  }

  // A fault shows the engine's message with its line, the line selected in
  // the window; neither Run nor Data Edit goes on, and nothing is written.
  void aFaultIsShownWithItsLine_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("says");
    QTest::newRow("undefined parameter") << "\"2R -> S : k2\""
                                         << "\"2R -> S : k9\"" << 10 << "«k9»";
    QTest::newRow("TOML syntax") << "key = \"A\""
                                 << "key = A" << 8 << "строка 8";
    QTest::newRow("Cyrillic A") << "target = \"R\""
                                << "target = \"R\"\nkey2 = А" << 10 << "«А»";
    QTest::newRow("unused parameter") << "B = \"Cb0\""
                                      << "B = 1" << 34 << "«Cb0»";
  }
  void aFaultIsShownWithItsLine() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, line);
    QFETCH(QString, says);
    QString text = QString::fromUtf8(ShippedTaskFile(QStringLiteral("dimer-tank.toml")));
    QVERIFY(text.contains(from));
    TEditForm* task = OpenFile(QStringLiteral("bad.toml"), text.replace(from, to).toUtf8());
    QCOMPARE(RunFrom(task), QString());
    QCOMPARE(prompts_->errors.size(), 1);
    const QString error = prompts_->errors.first();
    QVERIFY2(error.startsWith(task->FileName() + QStringLiteral(", строка %1").arg(line)), qPrintable(error));
    QVERIFY2(error.contains(says), qPrintable(error));
    QCOMPARE(task->Memo1->textCursor().blockNumber() + 1, line);
    QVERIFY(task->Memo1->textCursor().hasSelection());
    QCOMPARE(ReadBytes(QStringLiteral("opt.out")), QByteArray("<missing>"));
    QVERIFY(!DataEditFrom(task));
    QCOMPARE(prompts_->errors.size(), 2);
    QCOMPARE(WindowCount(), 1);
  }

  // Data the engine refuses end the run with its message; the last report
  // stays.
  void refusedDataKeepTheLastReport() {
    TEditForm* task = OpenExample();
    RunFrom(task);
    const QByteArray last = ReadBytes(QStringLiteral("opt.out"));
    TSchemeDataForm* dialog = DataEditFrom(task);
    QVERIFY(dialog);
    dialog->ComboBox(3)->setEditText(QStringLiteral("-1"));
    dialog->ButtonOkClick();
    QCOMPARE(RunFrom(task), QString());
    QCOMPARE(prompts_->errors, QStringList({"Недопустимые исходные данные: отрицательное значение в поле "
                                            "«Конц. A на входе, кмоль/м3»: -1"}));
    QCOMPARE(ReadBytes(QStringLiteral("opt.out")), last);
  }

  // A statement's window makes its built-in task current again, with its own
  // data dialog and numbering.
  void builtInTasksAndTaskFilesSideBySide() {
    TEditForm* scheme = OpenExample();
    prompts_->openAnswers << dir_->path(QStringLiteral("zad101.txt"));
    WriteBytes(dir_->path(QStringLiteral("zad101.txt")), "Задача\r\n");
    frame_->OpenChild();
    TEditForm* statement = Active();
    QCOMPARE(RunFrom(statement), QStringLiteral("zad101.out( 1)"));
    QCOMPARE(RunFrom(scheme), QStringLiteral("dimer-tank.out( 1)"));
    Focus(statement->Memo1);
    frame_->EditDataBtnClick();
    QVERIFY(QTest::qWaitForWindowActive(data_.get()));
    QCOMPARE(data_->windowTitle(), QStringLiteral("InitialData Task №101"));
    data_->ButtonCancelClick();
    QCOMPARE(RunFrom(statement), QStringLiteral("zad101.out( 2)"));
    QVERIFY(Decoded(ReadBytes(QStringLiteral("opt.out"))).contains(QStringLiteral("k1 = 1.000  k2 = 1.000")));
  }

  // A built-in task that a task file states shows its exact optimum under the
  // report and the chart; the report stays the run's.
  void theExactOptimumStandsBesideTheReport_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("line");
    QTest::newRow("111") << "zad111.txt"
                         << "Точное решение: CRmax = 0.3679 при Xa = 0.6321";
    QTest::newRow("112, no task file") << "zad112.txt"
                                       << "";
  }
  void theExactOptimumStandsBesideTheReport() {
    QFETCH(QString, statement);
    QFETCH(QString, line);
    TEditForm* task = OpenFile(statement, "Задача\r\n");
    QCOMPARE(RunFrom(task), statement.left(6) + QStringLiteral(".out( 1)"));
    TEditForm* result = Active();
    QCOMPARE(result->Memo1->toPlainText(), Decoded(ReadBytes(QStringLiteral("opt.out"))));
    QCOMPARE(result->ExactLabel->text(), line);
    QCOMPARE(result->ExactLabel->isVisible(), !line.isEmpty());
    if (line.isEmpty()) return;
    const QRect client = result->widget()->rect();
    const QRect label = result->ExactLabel->geometry();
    QVERIFY(client.contains(label));
    QVERIFY(label.top() >= result->ChartOpt->geometry().bottom());
    QVERIFY(label.top() >= result->Memo1->geometry().bottom());
    QVERIFY(label.width() >= result->ExactLabel->sizeHint().width());
  }

  // The study of a task file takes the text in its window, saved or not,
  // and the values confirmed with OK: each point is the engine's run of
  // them with the parameter at the point's value. Enter studies, Escape
  // leaves the dialog with nothing opened.
  void aStudyTakesWhatRunTakes() {
    TEditForm* task = OpenExample();
    TSchemeDataForm* data = DataEditFrom(task);
    QVERIFY(data);
    data->ComboBox(1)->setEditText(QStringLiteral("2.5"));
    data->ComboBox(5)->setCurrentIndex(2);
    data->ButtonOkClick();
    QVERIFY(data->isHidden());
    QString text = task->Text();
    text.replace(QStringLiteral("\"stirred-tank\""), QStringLiteral("\"plug-flow\""));
    task->Memo1->setPlainText(text);

    TStudyWindow* window = StudyFrom(task, [](TStudyDialog& dialog) {
      QTest::keyClick(dialog.ParameterBox, Qt::Key_Down);  // k2
      dialog.LowEdit->setText(QStringLiteral("0.5"));
      dialog.HighEdit->setText(QStringLiteral("2.5"));
      dialog.CountBox->setValue(5);
      QTest::keyClick(dialog.CountBox, Qt::Key_Return);
    });
    QVERIFY(window);
    QVERIFY(prompts_->errors.isEmpty());
    QCOMPARE(window->windowTitle(), QStringLiteral("dimer-tank: исследование k2"));
    const teaching::Study& study = window->Study();
    QCOMPARE(study.current, 1.0);
    QCOMPARE(study.points.size(), std::size_t{5});
    const schemes::Scheme scheme = schemes::ParseScheme(text.toStdString(), "");
    QCOMPARE(scheme.reactor, schemes::Reactor::PlugFlow);
    for (const teaching::StudyPoint& p : study.points) {
      const schemes::SchemeRun run = schemes::RunScheme(scheme, {2.5, p.value, 1, 1.5, 0.02});
      QVERIFY(p.ran);
      QCOMPARE(p.conversion, run.optimumConversion);
      QCOMPARE(p.answers.size(), run.answers.size());
      for (std::size_t i = 0; i < run.answers.size(); ++i) QCOMPARE(p.answers[i], run.answers[i].value);
    }
    QVERIFY(window->PrintedLines()[0].startsWith(QStringLiteral("Задача dimer-tank.toml. Исследование: ")));
    // The study changes neither the file nor the report.
    QCOMPARE(ReadBytes(task->FileName()), ShippedTaskFile(QStringLiteral("dimer-tank.toml")));
    QCOMPARE(ReadBytes(QStringLiteral("opt.out")), QByteArray("<missing>"));

    bool asked = false;
    QVERIFY(!StudyFrom(
        task, [](TStudyDialog& dialog) { QTest::keyClick(dialog.ParameterBox, Qt::Key_Escape); }, &asked));
    QVERIFY(asked);
  }

  // An unsaved edit that breaks the file is shown as Run shows it, with its
  // line selected, and no dialog opens.
  void aStudyOfAFaultyFileShowsTheFault() {
    TEditForm* task = OpenExample();
    QString text = task->Text();
    text.replace(QStringLiteral("2R -> S : k2"), QStringLiteral("2R -> S : k9"));
    task->Memo1->setPlainText(text);
    const qsizetype before = WindowCount();
    bool asked = false;
    QVERIFY(!StudyFrom(
        task, [](TStudyDialog& dialog) { dialog.reject(); }, &asked));
    QVERIFY(!asked);
    QCOMPARE(WindowCount(), before);
    QCOMPARE(prompts_->errors.size(), 1);
    const QString error = prompts_->errors.first();
    QVERIFY2(error.startsWith(task->FileName() + QStringLiteral(", строка 10")), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("«k9»")), qPrintable(error));
    QCOMPARE(task->Memo1->textCursor().blockNumber() + 1, 10);
    QVERIFY(task->Memo1->textCursor().hasSelection());
  }

  // With the task file's window closed, and no other window taking its
  // place, Run runs the file as saved.
  void aClosedWindowLeavesTheSavedFile() {
    TEditForm* scheme = OpenExample();
    Type(scheme, 1, QStringLiteral("# not saved\n"));
    scheme->Memo1->document()->setModified(false);
    scheme->close();
    QCoreApplication::processEvents();
    QVERIFY(frame_->RunBtn->isVisible());
    frame_->RunBtnClick();
    QCOMPARE(Active()->windowTitle().left(15), QStringLiteral("dimer-tank.out("));
    QCOMPARE(ReadBytes(QStringLiteral("opt.out")),
             EngineReport(ShippedTaskFile(QStringLiteral("dimer-tank.toml")), dir_->path("dimer-tank.toml")));
  }
};

REACTOPT_GUI_TEST_MAIN(SchemeTaskTest)
#include "SchemeTaskTest.moc"
