#pragma once
// The initial data of a task file: a label and an editable combo box with the
// file's three offered values for each of its parameters. It opens at the
// first offered values; OK keeps what was typed, once every text is a number,
// and Cancel the first offered values.

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;

struct TSchemeField {
  QString label;
  QStringList offered;  // the texts of the three values offered
  double first = 0;     // the first offered value, the default
};

class TSchemeDataForm : public QDialog {
  Q_OBJECT
 public:
  explicit TSchemeDataForm(QWidget* parent = nullptr);

  // One row per field, each at its first offered value; the caption names
  // the file.
  void Prepare(const QString& fileName, const QList<TSchemeField>& fields);

  // The values OK stored, in field order; the first offered values after
  // Cancel or before any OK.
  const std::vector<double>& Values() const { return values_; }

  void ButtonOkClick();
  void ButtonCancelClick();

  QLabel* Label(int i) const { return labels_.at(i - 1); }
  QComboBox* ComboBox(int i) const { return combos_.at(i - 1); }
  int FieldCount() const { return static_cast<int>(combos_.size()); }
  QPushButton* ButtonOk() const { return buttonOk_; }
  QPushButton* ButtonCancel() const { return buttonCancel_; }

 private:
  // The values of the combo boxes' texts; false, with an error box naming the
  // field and the focus in it, when one is not a number.
  bool ReadValues(std::vector<double>& values);
  // Every row back at its first offered value, and those the values.
  void Reset();

  QGridLayout* rows_;
  QList<QLabel*> labels_;
  QList<QComboBox*> combos_;
  QPushButton* buttonOk_;
  QPushButton* buttonCancel_;
  QList<TSchemeField> fields_;
  std::vector<double> values_;
};
