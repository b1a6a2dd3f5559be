#include "DataForm.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/TaskIdentity.h"
#include "initial_data/TaskData.h"
#include "solvers/RunOpt.h"
#include "window_services/Prompts.h"

TDataForm* DataForm = nullptr;

namespace {

const QString kCaption = QStringLiteral("InitialData Task №");

bool IsTask(int code) { return FindTask(code) != nullptr; }

}  // namespace

TDataForm::TDataForm(QWidget* parent) : QDialog(parent) {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(234, 294);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  font.setBold(true);
  setFont(font);

  bevel1_ = new QFrame(this);
  bevel1_->setObjectName(QStringLiteral("Bevel1"));
  bevel1_->setFrameShape(QFrame::Box);
  bevel1_->setFrameShadow(QFrame::Sunken);
  bevel1_->setGeometry(8, 8, 217, 249);

  buttonOk_ = new QPushButton(QStringLiteral("OK"), this);
  buttonOk_->setObjectName(QStringLiteral("ButtonOk"));
  buttonOk_->setGeometry(24, 264, 74, 26);
  buttonOk_->setDefault(true);

  for (int i = 1; i <= 10; ++i) {
    QLabel* label = new QLabel(QStringLiteral("Label%1").arg(i), this);
    label->setObjectName(QStringLiteral("Label%1").arg(i));
    label->setGeometry(16, 16 + 24 * (i - 1), 100, 16);
    label->setAlignment(Qt::AlignCenter);
    label->hide();
    labels_[i - 1] = label;

    QComboBox* combo = new QComboBox(this);
    combo->setObjectName(QStringLiteral("ComboBox%1").arg(i));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setGeometry(120, 14 + 24 * (i - 1), 100, 21);
    combo->setEditText(QStringLiteral("ComboBox%1").arg(i));
    combo->hide();
    combos_[i - 1] = combo;
  }

  buttonCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  buttonCancel_->setObjectName(QStringLiteral("ButtonCancel"));
  buttonCancel_->setGeometry(136, 264, 75, 25);

  QWidget::setTabOrder(buttonOk_, combos_[0]);
  for (int i = 1; i < 10; ++i) QWidget::setTabOrder(combos_[i - 1], combos_[i]);
  QWidget::setTabOrder(combos_[9], buttonCancel_);
  buttonOk_->setFocus();

  connect(buttonOk_, &QPushButton::clicked, this, &TDataForm::ButtonOkClick);
  connect(buttonCancel_, &QPushButton::clicked, this, &TDataForm::ButtonCancelClick);

  FormCreate();
}

void TDataForm::PreparationTask() {
  ReadTaskData();
  FillingForm();
  SaveDataToVar();
}

void TDataForm::FillingForm() {
  for (int i = 1; i <= 10; ++i) FillOneField(i, labels_[i - 1], combos_[i - 1]);
}

void TDataForm::FillOneField(int index, QLabel* label, QComboBox* combo) {
  const TaskField& field = TaskFieldTable[index];
  if (TaskCode <= 0 || field.Flag <= 0) return;
  label->setText(QString::fromStdString(cp1251::ToUtf8(field.LabelText)));
  label->show();
  QStringList items;
  for (double value : field.Values) items << QString::fromStdString(OfferedValueText(value));
  combo->clear();
  combo->addItems(items);
  combo->setCurrentIndex(0);
  combo->setEditText(items.front());
  combo->show();
}

void TDataForm::SaveDataToVar() {
  if (!IsTask(TaskCode)) return;
  for (int j = 1; j <= SlotCount(TaskCode); ++j)
    TaskParams.Slot(j) = RunTimeRealValue(combos_[j - 1]->currentText().toStdString());
}

void TDataForm::FormCreate(bool reportErrors) {
  if (TaskCode >= 1) {
    setWindowTitle(kCaption + QString::number(TaskCode).left(3));
    try {
      PreparationTask();
    } catch (const InOutError& e) {
      if (reportErrors) prompts::Error(this, QString::fromUtf8(e.what()));
    }
  } else {
    setWindowTitle(kCaption);
  }
}

void TDataForm::FormDeactivate() {
  for (int i = 0; i < 10; ++i) {
    labels_[i]->hide();
    combos_[i]->hide();
  }
}

void TDataForm::ButtonOkClick() {
  if (IsTask(TaskCode)) {
    // A text that is not a number is refused rather than stored as whatever
    // digits it starts with, and so is a value no reactor can have, as a run
    // would refuse it; blanks around a number do no harm, and a decimal comma
    // reads as a point.
    const int k = SlotCount(TaskCode);
    double values[10] = {};
    for (int j = 1; j <= k; ++j) {
      const QComboBox* combo = combos_[j - 1];
      if (combo->isHidden()) continue;
      const QString text = combo->currentText();
      if (!ParseTypedNumber(text.toStdString(), values[j - 1])) {
        prompts::Error(this, QStringLiteral("Недопустимое числовое значение в поле «%1»: «%2»")
                                 .arg(labels_[j - 1]->text().trimmed(), text));
        combos_[j - 1]->setFocus();
        return;
      }
      const std::string problem = ParameterProblem(TaskCode, j, values[j - 1]);
      if (!problem.empty()) {
        prompts::Error(this, QString::fromUtf8(InvalidDataError(problem).what()));
        combos_[j - 1]->setFocus();
        return;
      }
    }
    SaveDataToVar();
    for (int j = 1; j <= k; ++j)
      if (!combos_[j - 1]->isHidden()) TaskParams.Slot(j) = values[j - 1];
  }
  hide();
}

void TDataForm::ButtonCancelClick() {
  FillingForm();
  SaveDataToVar();
  hide();
}

void TDataForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormCreate();
  // A dialog that is shown takes the focus, so it is activated now, not
  // whenever the window manager gets round to it (some never do); a later
  // focus event for it then changes nothing. Nothing is left over to silence
  // the error of a later Data Edit.
  activatedByShowing_ = true;
  TActivationTracker::Instance().Activate(this);
  activatedByShowing_ = false;
}

void TDataForm::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  // The focus goes back to the main window, which is that window's activation
  // even if the window manager never moved the focus here.
  TActivationTracker::Instance().Leave(this);
}

void TDataForm::reject() { hide(); }
