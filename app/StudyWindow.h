#pragma once
// A study's result window: the optimum's conversion (red, left axis) and the
// maximised answer (blue, right axis) against the parameter, the current
// value marked and each refused point a gap, with the table of every point
// below; saved as CSV or PNG and printed as the other result windows are.

#include <QMdiSubWindow>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "teaching/Study.h"

class QPainter;
class QPushButton;
class QTableWidget;

class TStudyChart : public QWidget {
  Q_OBJECT
 public:
  TStudyChart(const teaching::Study& study, const teaching::StudyRequest& request, QWidget* parent = nullptr);
  // Draws the chart into `box`, on the screen, a picture or a page alike.
  void Paint(QPainter& painter, const QRectF& box) const;
  // Draws it as a chart of `size` pixels shows it, scaled into `target`: on
  // paper its texts keep their size in proportion to the chart.
  void Render(QPainter& painter, const QRectF& target, const QSizeF& size) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const teaching::Study& study_;
  double low_, high_;
  bool log_;
};

class TStudyWindow : public QMdiSubWindow {
  Q_OBJECT
 public:
  // `task` names the task in the caption: "zad103", or a task file's stem
  // ("dimer-tank").
  TStudyWindow(teaching::Study study, const teaching::StudyRequest& request, const QString& task,
               QWidget* parent = nullptr);

  const teaching::Study& Study() const { return study_; }
  // The study's CSV (UTF-8), as reactopt-batch --study writes it.
  std::string Csv() const;
  // Write the CSV or a PNG picture of the chart as the file `name`, whole;
  // an error box names the file and the reason, and false.
  bool SaveCsv(const QString& name);
  bool SavePng(const QString& name);
  // The lines printed above the chart: what was studied and the table.
  QStringList PrintedLines() const;

  TStudyChart* Chart;
  QTableWidget* Table;
  QPushButton *SaveCsvBtn, *SavePngBtn, *PrintBtn;

 public slots:
  void SaveCsvClick();
  void SavePngClick();
  void PrintClick();

 private:
  // Asks where to save, offering "study-TASK-KEY.suffix" in the working
  // folder; the suffix is added to a name typed without one. Empty: left.
  QString AskFileName(const QString& suffix);

  teaching::Study study_;
  teaching::StudyRequest request_;
  QString task_;
};
