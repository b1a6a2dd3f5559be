#include "ChartOpt.h"

#include <QAction>
#include <QChart>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsSimpleTextItem>
#include <QMenu>
#include <QPixmap>
#include <QValueAxis>
#include <algorithm>

#include "window_services/Prompts.h"

namespace {

QFont ArialPx(int pixels) {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixels);
  return font;
}

void SetUpAxis(QValueAxis* axis) {
  axis->setRange(0.0, 1.0);
  // 0, 0.1, ..., 1: eleven ticks on a fixed range.
  axis->setTickType(QValueAxis::TicksFixed);
  axis->setTickCount(11);
  axis->setMinorTickCount(0);
  axis->setLabelFormat(QStringLiteral("%.1f"));
  axis->setLabelsFont(ArialPx(10));
  axis->setLabelsBrush(Qt::black);
  axis->setLinePen(QPen(Qt::black, 1));
}

}  // namespace

const QString TChartOpt::kTitleLine1 = QStringLiteral("Зависимость селективности (выхода)");
const QString TChartOpt::kTitleLine2 = QStringLiteral(" от степени конверсии");
const QString TChartOpt::kFoot = QStringLiteral("Степень конверсии");
const QString TChartOpt::kLeftAxisTitle = QStringLiteral("Селективность (выход)");

void TChartSeries::AddXY(double x, double y) {
  // A linear search from the end: points usually arrive in ascending X, and it
  // needs no strict ordering of the values (Qt itself drops a point without a
  // number).
  int pos = count();
  while (pos > 0 && at(pos - 1).x() > x) --pos;
  insert(pos, QPointF(x, y));
}

// The view is given its chart at once: the view's default chart, replaced by
// setChart, would be released by the view and never deleted.
TChartOpt::TChartOpt(QWidget* parent) : QChartView(new QChart(), parent) {
  QChart* chart = this->chart();
  setRenderHint(QPainter::Antialiasing);
  setFrameShape(QFrame::NoFrame);

  chart->setBackgroundRoundness(0);
  chart->setDropShadowEnabled(false);
  chart->setBackgroundBrush(Qt::white);
  chart->setBackgroundPen(Qt::NoPen);
  chart->setPlotAreaBackgroundBrush(Qt::white);
  chart->setPlotAreaBackgroundVisible(true);
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->legend()->hide();
  chart->layout()->setContentsMargins(0, 0, 0, 0);

  // The title item renders rich text: each line centred on its own, the
  // entity keeping the second line's leading blank.
  chart->setTitle(QStringLiteral("<div align=\"center\">") + kTitleLine1 + QStringLiteral("<br>&nbsp;") +
                  kTitleLine2.mid(1) + QStringLiteral("</div>"));
  chart->setTitleFont(ArialPx(13));
  chart->setTitleBrush(Qt::blue);

  BottomAxis = new QValueAxis(chart);
  SetUpAxis(BottomAxis);
  BottomAxis->setGridLinePen(QPen(QColor(0xB0, 0xB0, 0xB0), 1, Qt::DotLine));

  LeftAxis = new QValueAxis(chart);
  SetUpAxis(LeftAxis);
  LeftAxis->setGridLinePen(QPen(Qt::black, 1, Qt::DotLine));
  LeftAxis->setTitleText(kLeftAxisTitle);
  LeftAxis->setTitleFont(ArialPx(11));
  LeftAxis->setTitleBrush(Qt::black);

  chart->addAxis(BottomAxis, Qt::AlignBottom);
  chart->addAxis(LeftAxis, Qt::AlignLeft);

  Series1 = new TChartSeries(chart);
  Series1->setName(QStringLiteral("Селект"));
  Series1->setPen(QPen(Qt::red, 2));
  Series2 = new TChartSeries(chart);
  Series2->setName(QStringLiteral("Выход"));
  Series2->setPen(QPen(Qt::blue, 2));
  for (TChartSeries* series : {Series1, Series2}) {
    series->setPointsVisible(false);
    series->setPointLabelsVisible(false);
    chart->addSeries(series);
    series->attachAxis(BottomAxis);
    series->attachAxis(LeftAxis);
  }

  // Qt Charts has no foot text: a text item under the plot, with the bottom
  // margin leaving room for it.
  foot_ = new QGraphicsSimpleTextItem(kFoot, chart);
  foot_->setFont(ArialPx(11));
  foot_->setBrush(Qt::black);
  const int footHeight = static_cast<int>(foot_->boundingRect().height());
  chart->setMargins(QMargins(2, 2, 10, footHeight + 2));
  setMinimumSize(LeastWholeSize());

  ChartPopUp = new QMenu(this);
  ChartPopUp->setObjectName(QStringLiteral("ChartPopUp"));
  SaveChartAs1 = ChartPopUp->addAction(QStringLiteral("Save Chart As..."));
  SaveChartAs1->setObjectName(QStringLiteral("SaveChartAs1"));
  connect(SaveChartAs1, &QAction::triggered, this, &TChartOpt::SaveChartAsClick);
}

QSize TChartOpt::LeastWholeSize() const {
  // Measured from the fonts in use: the title's longer line with the margins
  // beside it, and eleven labels on each axis with room between them, beside
  // the left axis's title and labels; heights the same way.
  const QFontMetrics title(chart()->titleFont());
  const QFontMetrics labels(BottomAxis->labelsFont());
  const QFontMetrics axisTitle(LeftAxis->titleFont());
  const QFontMetrics foot(foot_->font());
  const int label = labels.horizontalAdvance(QStringLiteral("0.0"));
  const int leftStrip = axisTitle.height() + label + 24;
  const int width = std::max(title.horizontalAdvance(kTitleLine1) + 24, leftStrip + 11 * (label + 8) + 14);
  const int height = 2 * title.height() + 11 * (labels.height() + 10) + labels.height() + foot.height() + 28;
  return {width, height};
}

void TChartOpt::Render(QPainter& painter, const QRectF& target, const QSize& size) {
  // Laid out at that size for the drawing and back at once: no event comes
  // between, so the screen never shows it.
  QChart* c = chart();
  const QSizeF shown = c->size();
  const auto layOut = [this, c](const QSizeF& at) {
    c->resize(at);
    c->layout()->invalidate();
    c->layout()->activate();
    PlaceFoot();
  };
  layOut(size);
  scene()->render(&painter, target, c->sceneBoundingRect(), Qt::KeepAspectRatio);
  layOut(shown);
}

bool TChartOpt::SaveImage(const QString& fileName) { return grab().save(fileName, "PNG"); }

void TChartOpt::SaveChartAsClick() {
  QString name = prompts::SaveImageFileName(this, QDir::current().filePath(QStringLiteral("chart.png")));
  if (name.isEmpty()) return;
  if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".png");
  if (!SaveImage(name)) prompts::Error(this, QStringLiteral("Cannot create file ") + name);
}

void TChartOpt::contextMenuEvent(QContextMenuEvent* event) {
  ChartPopUp->exec(event->globalPos());
  event->accept();
}

void TChartOpt::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  PlaceFoot();
}

void TChartOpt::PlaceFoot() {
  const QSizeF size = chart()->size();
  const QRectF box = foot_->boundingRect();
  foot_->setPos((size.width() - box.width()) / 2, size.height() - box.height() - 1);
}
