// "Variants for students...": the dialog gathers the request, writes the
// kit's own bytes and opens the folder; a request the kit cannot meet is an
// error box and writes nothing.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/MDIFrame.h"
#include "app/VariantsDialog.h"
#include "base/TaskIdentity.h"
#include "cli/VariantsRun.h"
#include "schemes/BuiltInTasks.h"

class VariantsDialogTest : public QObject {
  Q_OBJECT

  static void Check(TVariantsDialog& dialog, std::initializer_list<int> codes) {
    for (int i = 0; i < dialog.TaskList->count(); ++i)
      for (int code : codes)
        if (dialog.TaskList->item(i)->data(Qt::UserRole).toInt() == code)
          dialog.TaskList->item(i)->setCheckState(Qt::Checked);
  }
  static int RowOf(const TVariantsDialog& dialog, const QString& label) {
    for (int row = 0; row < dialog.RangeTable->rowCount(); ++row)
      if (dialog.RangeTable->item(row, 0)->text() == label) return row;
    return -1;
  }
  static void CopyTasks(const TempWorkDir& dir) {
    for (const QString& name : QDir(QStringLiteral(REACTOPT_TASKS_DIR)).entryList(QDir::Files))
      QFile::copy(QStringLiteral(REACTOPT_TASKS_DIR "/") + name, dir.path(name));
  }

 private slots:
  void writesTheKitsBytesAndOpensTheFolder() {
    TempWorkDir dir;
    CopyTasks(dir);
    TVariantsDialog dialog;
    QString opened;
    dialog.openFolder = [&](const QString& folder) { opened = folder; };
    QCOMPARE(dialog.TaskList->count(), 25);
    QCOMPARE(dialog.TaskList->item(0)->text(),
             QStringLiteral("101  Последовательные реакции первого порядка в реакторе смешения"));
    Check(dialog, {101, 103});
    // The fields of both tasks, each label once.
    QCOMPARE(dialog.RangeTable->rowCount(), 8);
    const int k1 = RowOf(dialog, QStringLiteral("Конст. k1, 1/с"));
    QVERIFY(k1 >= 0);
    QCOMPARE(dialog.RangeTable->item(k1, 1)->text(), QStringLiteral("0.5 – 2"));
    dialog.RangeTable->item(k1, 2)->setText(QStringLiteral("1"));
    dialog.RangeTable->item(k1, 3)->setText(QStringLiteral("1,5"));
    dialog.CountBox->setValue(4);
    dialog.SeedEdit->setText(QStringLiteral("42"));
    dialog.ToleranceEdit->setText(QStringLiteral("0.01"));
    dialog.KeyBox->setChecked(true);
    dialog.FolderEdit->setText(dir.path(QStringLiteral("kit")));
    QVERIFY(dialog.CreateFiles());
    QCOMPARE(opened, dir.path(QStringLiteral("kit")));

    teaching::KitRequest request;
    request.codes = {101, 103};
    request.count = 4;
    request.seed = 42;
    request.ranges = {{"Конст. k1, 1/с", "1", "1,5"}};
    request.tolerance = "0.01";
    request.key = true;
    for (const teaching::KitFile& file :
         teaching::MakeKit(request, variants::ReadKitSources({101, 103}, ".", ""))) {
      QCOMPARE(ReadBytes(dir.path(QStringLiteral("kit/") + QString::fromStdString(file.name))),
               QByteArray::fromStdString(file.bytes));
    }
  }

  void anUnmetRequestIsAnErrorBoxAndWritesNothing() {
    TempWorkDir dir;
    CopyTasks(dir);
    ScriptedPrompts prompts;
    TVariantsDialog dialog;
    bool opened = false;
    dialog.openFolder = [&](const QString&) { opened = true; };
    dialog.FolderEdit->setText(dir.path(QStringLiteral("kit")));
    QVERIFY(!dialog.CreateFiles());
    QCOMPARE(prompts.errors, QStringList{QStringLiteral("Не выбрано ни одной задачи")});
    Check(dialog, {111});
    dialog.RangeTable->item(0, 2)->setText(QStringLiteral("1"));
    QVERIFY(!dialog.CreateFiles());
    QCOMPARE(prompts.errors.last(), QStringLiteral("Диапазон поля «Конст. k1, 1/с»: нужны обе границы"));
    dialog.RangeTable->item(0, 3)->setText(QStringLiteral("1"));
    dialog.RangeTable->item(1, 2)->setText(QStringLiteral("1"));
    dialog.RangeTable->item(1, 3)->setText(QStringLiteral("1"));
    QVERIFY(!dialog.CreateFiles());
    QVERIFY(prompts.errors.last().startsWith(
        QStringLiteral("Задача 111 «Последовательные реакции первого порядка в реакторе вытеснения»: из "
                       "заданных диапазонов получено только 1 различных вариантов из 30")));
    QVERIFY(!QFileInfo::exists(dir.path(QStringLiteral("kit"))));
    QVERIFY(!opened);
  }

  // The study question's box, field and factor reach the kit; the field list
  // is the chosen tasks' fields.
  void theStudyQuestionReachesTheKit() {
    TempWorkDir dir;
    CopyTasks(dir);
    ScriptedPrompts prompts;
    TVariantsDialog dialog;
    dialog.openFolder = [](const QString&) {};
    QVERIFY(!dialog.StudyFieldBox->isEnabled());
    Check(dialog, {101, 103});
    QCOMPARE(dialog.StudyFieldBox->count(), dialog.RangeTable->rowCount());
    dialog.StudyBox->setChecked(true);
    QVERIFY(dialog.StudyFieldBox->isEnabled() && dialog.StudyFactorEdit->isEnabled());
    dialog.StudyFieldBox->setCurrentIndex(dialog.StudyFieldBox->findText(QStringLiteral("Подача v, м3/с")));
    dialog.StudyFactorEdit->setText(QStringLiteral("0,5"));
    dialog.CountBox->setValue(2);
    dialog.FolderEdit->setText(dir.path(QStringLiteral("kit")));
    QVERIFY2(dialog.CreateFiles(), qPrintable(prompts.errors.join(QLatin1Char('\n'))));
    const QByteArray key = ReadBytes(dir.path(QStringLiteral("kit/answers-103.csv")));
    QVERIFY2(key.startsWith("variant,") && key.left(key.indexOf('\n')).endsWith("Fr при v × 0.5"),
             key.constData());
    QVERIFY(ReadBytes(dir.path(QStringLiteral("kit/sheets.html"))).contains("если уменьшить v вдвое"));
    Check(dialog, {111});
    dialog.StudyFactorEdit->setText(QStringLiteral("1"));
    QVERIFY(!dialog.CreateFiles());
    QVERIFY2(prompts.errors.last().contains(QStringLiteral("множитель «1»")),
             qPrintable(prompts.errors.last()));
  }

  void theFolderButtonOffersTheTypedFolderAndKeepsItOnCancel() {
    TempWorkDir dir;
    const QString cwd = QDir::currentPath();
    ScriptedPrompts prompts;
    QStringList starts;
    QStringList answers{dir.path(QStringLiteral("chosen")), QString()};
    prompts.script.folderName = [&](const QString& start) {
      starts << start;
      return answers.takeFirst();
    };
    TVariantsDialog dialog;
    QPushButton* choose = nullptr;
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
      if (button->text() == QStringLiteral("Выбрать...")) choose = button;
    QVERIFY(choose);
    dialog.FolderEdit->setText(dir.path(QStringLiteral("typed")));
    choose->click();
    QCOMPARE(dialog.FolderEdit->text(), dir.path(QStringLiteral("chosen")));
    choose->click();
    QCOMPARE(dialog.FolderEdit->text(), dir.path(QStringLiteral("chosen")));
    QCOMPARE(starts, (QStringList{dir.path(QStringLiteral("typed")), dir.path(QStringLiteral("chosen"))}));
    QCOMPARE(QDir::currentPath(), cwd);
  }

  // Task files beside the codes: the examples listed, others added from
  // disk (one with a fault is refused with its line), their fields in the
  // range table, and the kit's files of both, answers-NAME.csv among them.
  void taskFilesBesideTheCodes() {
    TempWorkDir dir;
    CopyTasks(dir);
    ScriptedPrompts prompts;
    const QByteArray mine = ReadBytes(dir.path(QStringLiteral("dimer-tank.toml")));
    WriteBytes(dir.path(QStringLiteral("mine.toml")), mine);
    WriteBytes(dir.path(QStringLiteral("bad.toml")), QByteArray(mine).replace("key = \"A\"", "key = A"));
    prompts.script.taskFileNames = [&] {
      return QStringList{dir.path(QStringLiteral("bad.toml")), dir.path(QStringLiteral("mine.toml"))};
    };
    TVariantsDialog dialog;
    QString opened;
    dialog.openFolder = [&](const QString& folder) { opened = folder; };
    QCOMPARE(dialog.SchemeList->count(), static_cast<int>(schemes::ExampleSchemes().size()));
    for (int i = 0; i < dialog.SchemeList->count(); ++i)
      QCOMPARE(dialog.SchemeList->item(i)->checkState(), Qt::Unchecked);

    for (QPushButton* button : dialog.findChildren<QPushButton*>())
      if (button->text() == QStringLiteral("Добавить файлы задач...")) button->click();
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY2(
        prompts.errors[0].startsWith(dir.path(QStringLiteral("bad.toml")) + QStringLiteral(", строка 8")),
        qPrintable(prompts.errors[0]));
    QListWidgetItem* added = dialog.SchemeList->item(dialog.SchemeList->count() - 1);
    QVERIFY(added->text().startsWith(QStringLiteral("mine.toml  Реакция A + B -> R")));
    QCOMPARE(added->checkState(), Qt::Checked);
    const int k1 = RowOf(dialog, QStringLiteral("Конст. k1, м3/(кмоль*с)"));
    QVERIFY(k1 >= 0);
    QCOMPARE(dialog.RangeTable->item(k1, 1)->text(), QStringLiteral("0.5 – 2"));
    dialog.RangeTable->item(k1, 2)->setText(QStringLiteral("1"));
    dialog.RangeTable->item(k1, 3)->setText(QStringLiteral("2"));

    Check(dialog, {101});
    dialog.CountBox->setValue(3);
    dialog.FolderEdit->setText(dir.path(QStringLiteral("kit")));
    QVERIFY2(dialog.CreateFiles(), qPrintable(prompts.errors.join(QLatin1Char('\n'))));
    QCOMPARE(opened, dir.path(QStringLiteral("kit")));

    teaching::KitRequest request;
    request.codes = {101};
    request.schemes = {"mine.toml"};
    request.count = 3;
    request.ranges = {{"Конст. k1, м3/(кмоль*с)", "1", "2"}};
    teaching::KitSources sources = variants::ReadKitSources({101}, ".", "");
    sources.schemes["mine.toml"] = mine.toStdString();
    QStringList names;
    for (const teaching::KitFile& file : teaching::MakeKit(request, sources)) {
      names << QString::fromStdString(file.name);
      QCOMPARE(ReadBytes(dir.path(QStringLiteral("kit/") + QString::fromStdString(file.name))),
               QByteArray::fromStdString(file.bytes));
    }
    QVERIFY2(names.contains(QStringLiteral("answers-mine.csv")), qPrintable(names.join(' ')));
    QVERIFY(names.contains(QStringLiteral("answers-101.csv")));
  }

  void theMainWindowOpensItFromItsTaskMenu() {
    TFrameForm frame;
    QStringList items;
    for (QAction* action : frame.Task1->actions()) items << action->text();
    QVERIFY(items.contains(QStringLiteral("&Variants for students...")));
  }
};

REACTOPT_GUI_TEST_MAIN(VariantsDialogTest)
#include "VariantsDialogTest.moc"
