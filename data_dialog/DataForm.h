#pragma once
// The initial-data dialog: a label and an editable combo box with three offered
// values for each field of the current task, stored in TaskParams on OK.

#include <QDialog>

#include "window_services/Activation.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

class TDataForm : public QDialog, public TActivatable {
  Q_OBJECT
 public:
  explicit TDataForm(QWidget* parent = nullptr);

  // Re-reads the task's block of "DataFile.dat", refills the rows in use with
  // their first offered values and stores those in TaskParams. Raises
  // InOutError when the data file cannot be read; rows and TaskParams then
  // stay as they were.
  void PreparationTask();
  void FillingForm();
  void FillOneField(int index, QLabel* label, QComboBox* combo);
  // Stores the combo boxes' texts (run-time conversion) in P1..Pk.
  void SaveDataToVar();

  // Caption with the task code, then PreparationTask; on creation, on every
  // showing and on every activation. Errors are shown, not raised, unless
  // `reportErrors` is false.
  void FormCreate(bool reportErrors = true);
  // Hides every row; on every deactivation.
  void FormDeactivate();

  // The activation that comes with a showing repeats that showing's
  // preparation: its error is not shown a second time.
  void WindowActivated() override { FormCreate(!activatedByShowing_); }
  void WindowDeactivated() override { FormDeactivate(); }

  void ButtonOkClick();
  void ButtonCancelClick();

  QLabel* Label(int i) const { return labels_[i - 1]; }
  QComboBox* ComboBox(int i) const { return combos_[i - 1]; }
  QPushButton* ButtonOk() const { return buttonOk_; }
  QPushButton* ButtonCancel() const { return buttonCancel_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  // Escape and the title bar's close button hide the dialog; nothing is stored
  // and the one instance stays.
  void reject() override;

 private:
  QFrame* bevel1_;
  QPushButton* buttonOk_;
  QLabel* labels_[10];
  QComboBox* combos_[10];
  QPushButton* buttonCancel_;
  bool activatedByShowing_ = false;
};

// The one instance, created at start-up and kept for the whole run.
extern TDataForm* DataForm;
