#pragma once
// "Исследование параметра...": how the optimum of the open task moves with
// one of its fields. The dialog gathers the request (the field, its range,
// the count of points, a log scale), the core runs the study, and a study
// window shows it.

#include <QDialog>
#include <QString>
#include <optional>
#include <vector>

#include "teaching/Study.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class TStudyDialog : public QDialog {
  Q_OBJECT
 public:
  // The fields of `task` in the list, the first chosen with its offered
  // range: a built-in task's from its code and the bytes of its data file,
  // a task file's (code 0) from its text. Throws for a task file with a fault.
  explicit TStudyDialog(teaching::StudyRequest task, QWidget* parent = nullptr);

  // The request as the fields give it; throws teaching::StudyError naming a
  // bound that is no number.
  teaching::StudyRequest Request() const;
  // Runs the study asked for; a request the core refuses is an error box
  // naming the problem, and false.
  bool RunStudy();
  // The study RunStudy made.
  const teaching::Study& Result() const { return study_; }

  QComboBox* ParameterBox;  // the task's fields by label, the slot as data
  QLineEdit* LowEdit;
  QLineEdit* HighEdit;
  QSpinBox* CountBox;
  QCheckBox* LogBox;
  QLabel* SpanLabel;  // the offered values of the field chosen

 private:
  // The span of the field's offered values widened to half the least and
  // twice the greatest, in the bounds.
  void OfferRange();

  struct Field {
    int slot = 0;
    QString label;
    std::vector<double> offered;
  };
  teaching::StudyRequest task_;
  std::vector<Field> fields_;
  teaching::Study study_;
};

class QMdiSubWindow;
// Asks for a study of task `code` with `values` (its fields in slot order),
// the data file read from the working folder, and returns its window, not
// yet shown; null when there is no task to study or the dialog was left.
QMdiSubWindow* AskStudy(QWidget* parent, int code, const std::vector<std::optional<double>>& values);
// Asks for a study of `task` as it is given (a task file's, or a built-in
// task's with its data file) and returns its window, `name` in its caption
// ("zad103: исследование k2"), not yet shown; null when the dialog was left.
QMdiSubWindow* AskStudy(QWidget* parent, const teaching::StudyRequest& task, const QString& name);
