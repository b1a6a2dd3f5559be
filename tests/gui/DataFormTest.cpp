// The initial-data dialog: filling its rows from the data file and storing
// the values in the parameter vector.

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "data_dialog/DataForm.h"
#include "initial_data/TaskData.h"
#include "solvers/RunOpt.h"

class DataFormTest : public QObject {
  Q_OBJECT

  static int ShownRows(const TDataForm& form) {
    int n = 0;
    for (int i = 1; i <= 10; ++i) n += !form.ComboBox(i)->isHidden();
    return n;
  }
  static void ResetParams() {
    for (int j = 1; j <= 10; ++j) TaskParams.Slot(j) = -1;
  }

 private slots:
  // As at start-up, every dialog is created before any task is open.
  void init() { TaskCode = 0; }

  void withoutATaskShowsNoRowsAndStoresNothing() {
    TDataForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("InitialData Task №"));
    QCOMPARE(ShownRows(form), 0);
    QCOMPARE(form.ComboBox(3)->currentText(), QStringLiteral("ComboBox3"));
    ResetParams();
    form.ButtonOkClick();
    form.ButtonCancelClick();
    QCOMPARE(TaskParams.P1, -1.0);
  }

  void preparingATaskFillsItsRowsAndStoresTheDefaults() {
    TempWorkDir dir;
    dir.CopyDataFile();
    TDataForm form;
    ResetParams();
    TaskCode = 102;
    form.FormCreate();
    QCOMPARE(form.windowTitle(), QStringLiteral("InitialData Task №102"));
    QCOMPARE(ShownRows(form), 5);
    QCOMPARE(form.Label(1)->text(), QStringLiteral(" Конст. k1, 1/с  "));
    QCOMPARE(form.ComboBox(1)->count(), 3);
    QCOMPARE(form.ComboBox(1)->itemText(0), QStringLiteral(" 1.00000"));
    QCOMPARE(form.ComboBox(1)->currentText(), QStringLiteral(" 1.00000"));
    QCOMPARE(TaskParams.P1, 1.0);
    QCOMPARE(TaskParams.P5, 0.01);
    QCOMPARE(TaskParams.P6, -1.0);  // slots past k are not touched
  }

  void okStoresTheEditedTextsAndCancelTheDefaults() {
    TempWorkDir dir;
    dir.CopyDataFile();
    TDataForm form;
    TaskCode = 101;
    form.show();
    form.ComboBox(1)->setEditText(QStringLiteral("2.5 "));
    form.ComboBox(2)->setCurrentIndex(2);
    form.ButtonOkClick();
    QVERIFY(form.isHidden());
    QCOMPARE(TaskParams.P1, 2.5);
    QCOMPARE(TaskParams.P2, form.ComboBox(2)->itemText(2).toDouble());

    // Showing the dialog again puts the defaults back, in the rows and slots.
    form.show();
    QCOMPARE(form.ComboBox(1)->currentText(), QStringLiteral(" 1.00000"));
    QCOMPARE(TaskParams.P1, 1.0);
    form.ComboBox(1)->setEditText(QStringLiteral("7"));
    form.ButtonCancelClick();
    QVERIFY(form.isHidden());
    QCOMPARE(TaskParams.P1, 1.0);
    QCOMPARE(form.ComboBox(1)->currentText(), QStringLiteral(" 1.00000"));
  }

  void okRefusesATextThatIsNotANumber() {
    TempWorkDir dir;
    dir.CopyDataFile();
    ScriptedPrompts prompts;
    TDataForm form;
    TaskCode = 101;
    form.show();
    ResetParams();
    form.ComboBox(1)->setEditText(QStringLiteral("3"));
    form.ComboBox(2)->setEditText(QStringLiteral("1,000.5"));
    form.ButtonOkClick();
    QVERIFY(form.isVisible());
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY(prompts.errors[0].contains(QStringLiteral("Конст. k2, 1/с")));
    QVERIFY(prompts.errors[0].contains(QStringLiteral("1,000.5")));
    QCOMPARE(TaskParams.P1, -1.0);  // nothing stored
    QCOMPARE(TaskParams.P2, -1.0);
  }

  // A decimal comma reads as a point; a negative value is refused as a run
  // would refuse it, naming the field.
  void okTakesADecimalCommaAndRefusesANegativeValue() {
    TempWorkDir dir;
    dir.CopyDataFile();
    ScriptedPrompts prompts;
    TDataForm form;
    TaskCode = 101;
    form.show();
    ResetParams();
    form.ComboBox(1)->setEditText(QStringLiteral("-0,5"));
    form.ComboBox(2)->setEditText(QStringLiteral("2,5"));
    form.ButtonOkClick();
    QVERIFY(form.isVisible());
    QCOMPARE(prompts.errors,
             QStringList{QStringLiteral("Недопустимые исходные данные: отрицательное значение в поле "
                                        "«Конст. k1, 1/с»: -0.5")});
    QCOMPARE(TaskParams.P1, -1.0);
    form.ComboBox(1)->setEditText(QStringLiteral(" 0,5 "));
    form.ButtonOkClick();
    QVERIFY(form.isHidden());
    QCOMPARE(TaskParams.P1, 0.5);
    QCOMPARE(TaskParams.P2, 2.5);
  }

  void slotsWithoutAFieldTakeTheirComboBoxText() {
    TempWorkDir dir;
    // Task 101's block has only its first field in use.
    QByteArray file = "1 k1              0.5 1 2\r\n";
    for (int i = 2; i <= 10; ++i) file += "0\r\n";
    WriteBytes(dir.path(QStringLiteral("DataFile.dat")), file);
    TDataForm form;
    ResetParams();
    TaskCode = 101;
    form.FormCreate();
    QCOMPARE(ShownRows(form), 1);
    QCOMPARE(TaskParams.P1, 0.5);
    QCOMPARE(TaskParams.P2, 0.0);  // "ComboBox2"
    form.ComboBox(2)->setEditText(QStringLiteral("4.5"));
    form.SaveDataToVar();
    QCOMPARE(TaskParams.P2, 4.5);  // an earlier task's text
  }

  void valuesAreOfferedWithFiveDecimals() {
    TempWorkDir dir;
    QByteArray file = "1 k1              123.5 3E-6 -2\r\n";
    WriteBytes(dir.path(QStringLiteral("DataFile.dat")), file);
    ScriptedPrompts prompts;
    TDataForm form;
    TaskCode = 111;  // the file ends before task 111's block: said, and no row shown
    form.FormCreate();
    QCOMPARE(ShownRows(form), 0);
    QCOMPARE(prompts.errors, QStringList{QStringLiteral("В файле DataFile.dat нет данных для задачи 111")});
    TaskCode = 101;
    form.FormCreate();
    QCOMPARE(form.ComboBox(1)->itemText(0), QStringLiteral("123.50000"));
    QCOMPARE(form.ComboBox(1)->itemText(1), QStringLiteral(" 0.00000"));
    QCOMPARE(form.ComboBox(1)->itemText(2), QStringLiteral("-2.00000"));
  }

  void deactivationHidesTheRowsButKeepsTheirTexts() {
    TempWorkDir dir;
    dir.CopyDataFile();
    TDataForm form;
    TaskCode = 101;
    form.FormCreate();
    form.ComboBox(1)->setEditText(QStringLiteral("9"));
    form.FormDeactivate();
    QCOMPARE(ShownRows(form), 0);
    QVERIFY(form.Label(1)->isHidden());
    QCOMPARE(form.ComboBox(1)->currentText(), QStringLiteral("9"));
  }

  void aMissingDataFileIsReportedAndChangesNothing() {
    TempWorkDir dir;
    ScriptedPrompts prompts;
    TDataForm form;
    ResetParams();
    TaskCode = 101;
    form.FormCreate();
    QCOMPARE(prompts.errors, QStringList{QStringLiteral("File not found: ") +
                                         QDir::current().absoluteFilePath(QStringLiteral("DataFile.dat"))});
    QCOMPARE(ShownRows(form), 0);
    QCOMPARE(TaskParams.P1, -1.0);
    QCOMPARE(form.windowTitle(), QStringLiteral("InitialData Task №101"));
  }
};

REACTOPT_GUI_TEST_MAIN(DataFormTest)
#include "DataFormTest.moc"
