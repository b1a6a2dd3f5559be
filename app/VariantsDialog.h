#pragma once
// "Variants for students...": the teacher's kit in the desktop program. The
// dialog only gathers the request and writes the files the core makes, the
// same bytes reactopt-batch --variants writes.

#include <QDialog>
#include <QString>
#include <functional>
#include <map>
#include <string>

#include "teaching/Variants.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTableWidget;

class TVariantsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TVariantsDialog(QWidget* parent = nullptr);

  // Draws the variants and writes their files into the folder, then opens
  // it; a request the kit cannot meet is shown in an error box and nothing is
  // written. Returns whether the files were written.
  bool CreateFiles();
  // The request as the dialog's fields give it; throws KitRequestError for a
  // field that does not parse.
  teaching::KitRequest Request() const;

  QListWidget* TaskList;  // one checkable row per task
  // One checkable row per task file by its name: the examples shipped with
  // the program, then those added.
  QListWidget* SchemeList;
  QSpinBox* CountBox;  // variants per task
  QLineEdit* SeedEdit;
  QTableWidget* RangeTable;  // label, offered span, from, to; empty: the span
  QLineEdit* ToleranceEdit;  // relative; empty: half a unit of the last digit
  QCheckBox* KeyBox;         // the answers on the sheets
  // The study question: whether it is asked, the field (the chosen tasks'
  // labels) and its factor (empty: 2).
  QCheckBox* StudyBox;
  QComboBox* StudyFieldBox;
  QLineEdit* StudyFactorEdit;
  QLineEdit* FolderEdit;
  QLabel* StatusLabel;
  // Opens the written folder; tests replace it.
  std::function<void(const QString& folder)> openFolder;

  // Adds the task files chosen, checked; one of a name already listed takes
  // that row. A file with a fault is shown in an error box and left out.
  void AddTaskFiles();

 private:
  void ChooseFolder();
  // The rows of the range table: the fields of the chosen tasks, by label,
  // keeping what was typed for a label that stays.
  void FillRanges();
  // The task files checked, by name, with their texts.
  std::map<std::string, std::string> CheckedSchemes() const;
};
