#include "SchemeDataForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "initial_data/TaskData.h"
#include "window_services/Prompts.h"

TSchemeDataForm::TSchemeDataForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("SchemeDataForm"));
  // The look of the built-in tasks' dialog.
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  font.setBold(true);
  setFont(font);

  auto* frame = new QFrame(this);
  frame->setObjectName(QStringLiteral("Bevel1"));
  frame->setFrameShape(QFrame::Box);
  frame->setFrameShadow(QFrame::Sunken);
  rows_ = new QGridLayout(frame);
  rows_->setContentsMargins(8, 8, 8, 8);
  rows_->setHorizontalSpacing(8);
  rows_->setVerticalSpacing(3);
  rows_->setColumnStretch(1, 1);

  buttonOk_ = new QPushButton(QStringLiteral("OK"), this);
  buttonOk_->setObjectName(QStringLiteral("ButtonOk"));
  buttonOk_->setDefault(true);
  buttonCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  buttonCancel_->setObjectName(QStringLiteral("ButtonCancel"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(buttonOk_);
  buttons->addStretch(1);
  buttons->addWidget(buttonCancel_);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(frame);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(buttonOk_, &QPushButton::clicked, this, &TSchemeDataForm::ButtonOkClick);
  connect(buttonCancel_, &QPushButton::clicked, this, &TSchemeDataForm::ButtonCancelClick);
}

void TSchemeDataForm::Prepare(const QString& fileName, const QList<TSchemeField>& fields) {
  setWindowTitle(QStringLiteral("InitialData ") + fileName);
  qDeleteAll(labels_);
  qDeleteAll(combos_);
  labels_.clear();
  combos_.clear();
  QWidget* previous = buttonOk_;
  for (const TSchemeField& field : fields) {
    const int row = static_cast<int>(combos_.size());
    auto* label = new QLabel(field.label, rows_->parentWidget());
    label->setObjectName(QStringLiteral("Label%1").arg(row + 1));
    auto* combo = new QComboBox(rows_->parentWidget());
    combo->setObjectName(QStringLiteral("ComboBox%1").arg(row + 1));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumWidth(100);
    combo->addItems(field.offered);
    combo->setCurrentIndex(0);
    label->setBuddy(combo);
    rows_->addWidget(label, row, 0);
    rows_->addWidget(combo, row, 1);
    labels_ << label;
    combos_ << combo;
    QWidget::setTabOrder(previous, combo);
    previous = combo;
  }
  QWidget::setTabOrder(previous, buttonCancel_);
  fields_ = fields;
  // Until an OK, the values are the first offered ones, as Cancel leaves them.
  Reset();
  buttonOk_->setFocus();
}

bool TSchemeDataForm::ReadValues(std::vector<double>& values) {
  values.clear();
  for (int i = 0; i < combos_.size(); ++i) {
    const QString text = combos_[i]->currentText();
    double value = 0;
    // A decimal comma reads as a point, as in the built-in tasks' dialog.
    if (!ParseTypedNumber(text.toStdString(), value)) {
      prompts::Error(this, QStringLiteral("Недопустимое числовое значение в поле «%1»: «%2»")
                               .arg(labels_[i]->text().trimmed(), text));
      combos_[i]->setFocus();
      return false;
    }
    values.push_back(value);
  }
  return true;
}

void TSchemeDataForm::ButtonOkClick() {
  std::vector<double> values;
  if (!ReadValues(values)) return;
  values_ = values;
  accept();
}

void TSchemeDataForm::Reset() {
  values_.clear();
  for (int i = 0; i < combos_.size(); ++i) {
    combos_[i]->setCurrentIndex(0);
    values_.push_back(fields_[i].first);
  }
}

void TSchemeDataForm::ButtonCancelClick() {
  Reset();
  reject();
}
