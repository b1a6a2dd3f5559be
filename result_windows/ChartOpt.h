#pragma once
// The result chart: selectivity (red) and yield (blue) against conversion, on
// fixed 0 to 1 axes.

#include <QChartView>
#include <QLineSeries>
#include <QString>

class QAction;
class QGraphicsSimpleTextItem;
class QMenu;
class QValueAxis;

// A line series whose points stay in ascending X whatever order they come in.
class TChartSeries : public QLineSeries {
  Q_OBJECT
 public:
  explicit TChartSeries(QObject* parent = nullptr) : QLineSeries(parent) {}
  // Inserts the point after every point whose X is not greater, so points of
  // equal X keep the order they were added in.
  void AddXY(double x, double y);
};

class TChartOpt : public QChartView {
  Q_OBJECT
 public:
  explicit TChartOpt(QWidget* parent = nullptr);

  TChartSeries* Series1;  // selectivity, red
  TChartSeries* Series2;  // yield, blue
  QValueAxis* BottomAxis;
  QValueAxis* LeftAxis;
  QMenu* ChartPopUp;      // context menu
  QAction* SaveChartAs1;  // "Save Chart As..."

  // The two title lines, as the chart shows them one under the other.
  static const QString kTitleLine1;
  static const QString kTitleLine2;
  static const QString kFoot;
  static const QString kLeftAxisTitle;

  // The least size at which the title, the axis labels and the foot all show
  // whole; the chart is never made smaller.
  QSize LeastWholeSize() const;

  // Draws the chart as a chart of `size` pixels would show it, scaled into
  // `target`, whatever its size on screen: its texts keep one size in
  // proportion to the target. The chart on screen does not change.
  void Render(QPainter& painter, const QRectF& target, const QSize& size);

  // Writes a picture of the chart as PNG. False when the file cannot be written.
  bool SaveImage(const QString& fileName);

 public slots:
  // Asks for a file name and saves the picture there.
  void SaveChartAsClick();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceFoot();
  QGraphicsSimpleTextItem* foot_;
};
