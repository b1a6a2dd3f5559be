// The result chart: fixed look, points in ascending X, filling from the chart
// buffers of a run, one independent chart per window, and its picture.

#include <QChart>
#include <QImage>
#include <QLineSeries>
#include <QMdiArea>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "GuiTestSupport.h"
#include "result_windows/ChartOpt.h"
#include "result_windows/MDIEdit.h"
#include "solvers/RunOpt.h"

namespace {

// Buffers as a solver leaves them: point k at conversion k / 20.
void FillBuffers(bool descending = false) {
  for (int k = 0; k < kChartSize; ++k) {
    const double x = (descending ? 20 - k : k) / 20.0;
    ChartX[k] = x;
    ChartY1[k] = 1 - x;
    ChartY2[k] = x * (1 - x);
  }
}

QList<QPointF> Points(const QLineSeries* series) { return series->points(); }

bool AscendingX(const QList<QPointF>& points) {
  return std::is_sorted(points.begin(), points.end(),
                        [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
}

// Pixels of a colour family in an image.
int CountPixels(const QImage& image, bool (*match)(QColor)) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += match(image.pixelColor(x, y));
  return n;
}
bool Reddish(QColor c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; }
bool Bluish(QColor c) { return c.blue() > 180 && c.red() < 90 && c.green() < 90; }

}  // namespace

class ChartTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void fixedAxesTitlesAndColours();
  void pointsStayInAscendingX();
  void ordinaryTasksDrawTwentyOnePoints();
  void tasksThatCountDrawTheirCountPlusOne_data();
  void tasksThatCountDrawTheirCountPlusOne();
  void failedRunLeavesTheSeries();
  void descendingBuffersDrawFromLeftToRight();
  void eachWindowKeepsItsOwnChart();
  void resultWindowShowsBothLines();
  void saveChartAsWritesAPng();
};

void ChartTest::init() {
  FillBuffers();
  RunSucceeded = true;
  ChartPointCount = 0;
}

void ChartTest::fixedAxesTitlesAndColours() {
  TChartOpt chart;
  QChart* c = chart.chart();
  QVERIFY(!c->legend()->isVisible());
  for (QValueAxis* axis : {chart.BottomAxis, chart.LeftAxis}) {
    QCOMPARE(axis->min(), 0.0);
    QCOMPARE(axis->max(), 1.0);
    QCOMPARE(axis->tickCount(), 11);  // a step of 0.1
  }
  QCOMPARE(chart.BottomAxis->alignment(), Qt::AlignBottom);
  QVERIFY(chart.BottomAxis->titleText().isEmpty());
  QCOMPARE(chart.LeftAxis->titleText(), QStringLiteral("Селективность (выход)"));
  QVERIFY(c->title().contains(QStringLiteral("Зависимость селективности (выхода)")));
  QVERIFY(c->title().contains(QStringLiteral("от степени конверсии")));
  QCOMPARE(chart.Foot(), QStringLiteral("Степень конверсии"));
  QCOMPARE(chart.Series1->pen().color(), QColor(Qt::red));
  QCOMPARE(chart.Series2->pen().color(), QColor(Qt::blue));
  QCOMPARE(chart.Series1->name(), QStringLiteral("Селект"));
  QCOMPARE(chart.Series2->name(), QStringLiteral("Выход"));
  QCOMPARE(c->series().size(), 2);
  QCOMPARE(chart.Series1->attachedAxes().size(), 2);
  QCOMPARE(chart.Series2->attachedAxes().size(), 2);
}

void ChartTest::pointsStayInAscendingX() {
  TChartSeries series;
  std::vector<int> order(50);
  for (int i = 0; i < 50; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  for (int i : order) series.AddXY(i / 10, i);  // five points share each X
  QCOMPARE(series.count(), 50);
  QVERIFY(AscendingX(series.points()));
  // Y values are not sorted: equal X keep the order they came in.
  QList<qreal> firstGroup;
  for (const QPointF& p : series.points())
    if (p.x() == 0) firstGroup << p.y();
  QList<qreal> expected;
  for (int i : order)
    if (i < 10) expected << i;
  QCOMPARE(firstGroup, expected);

  // A point without a number for X cannot upset the order of the others.
  series.AddXY(std::numeric_limits<double>::quiet_NaN(), 0);
  series.AddXY(-1, 0);
  QCOMPARE(series.at(0).x(), -1.0);
}

void ChartTest::ordinaryTasksDrawTwentyOnePoints() {
  for (int code : {101, 102, 105, 110, 112, 117, 121, 125}) {
    TEditForm form;
    ChartPointCount = 3;  // left by an earlier run of another task
    form.ChartDisplay(code);
    QCOMPARE(ChartPointCount, 20);
    QCOMPARE(form.ChartOpt->Series1->count(), 21);
    QCOMPARE(form.ChartOpt->Series2->count(), 21);
    QCOMPARE(form.ChartOpt->Series1->at(20), QPointF(1.0, 0.0));
    QCOMPARE(form.ChartOpt->Series2->at(10), QPointF(0.5, 0.25));
  }
}

void ChartTest::tasksThatCountDrawTheirCountPlusOne_data() {
  QTest::addColumn<int>("code");
  QTest::addColumn<int>("count");
  QTest::addColumn<int>("points");
  for (int code : {103, 104, 115, 116, 119, 120, 122, 123, 124})
    QTest::addRow("%d", code) << code << 8 << 9;
  QTest::newRow("single point") << 103 << 0 << 1;
  QTest::newRow("whole sweep") << 124 << 20 << 21;
  QTest::newRow("low 16 bits") << 116 << 0x10005 << 6;
}

void ChartTest::tasksThatCountDrawTheirCountPlusOne() {
  QFETCH(int, code);
  QFETCH(int, count);
  QFETCH(int, points);
  TEditForm form;
  ChartPointCount = count;
  form.ChartDisplay(code);
  QCOMPARE(ChartPointCount, count);
  QCOMPARE(form.ChartOpt->Series1->count(), points);
  QCOMPARE(form.ChartOpt->Series2->count(), points);
  QCOMPARE(form.ChartOpt->Series1->points().last().x(), ChartX[points - 1]);
}

void ChartTest::failedRunLeavesTheSeries() {
  TEditForm form;
  form.ChartDisplay(101);
  RunSucceeded = false;
  ChartPointCount = 4;
  form.ChartDisplay(103);
  QCOMPARE(ChartPointCount, 4);
  form.ChartDisplay(101);
  QCOMPARE(ChartPointCount, 20);  // set before the flag is looked at
  QCOMPARE(form.ChartOpt->Series1->count(), 21);
}

void ChartTest::descendingBuffersDrawFromLeftToRight() {
  FillBuffers(/*descending=*/true);
  TEditForm form;
  form.ChartDisplay(111);
  const QList<QPointF> red = Points(form.ChartOpt->Series1);
  const QList<QPointF> blue = Points(form.ChartOpt->Series2);
  QVERIFY(AscendingX(red));
  QVERIFY(AscendingX(blue));
  // Each Y stays with its own X.
  for (const QPointF& p : red) QCOMPARE(p.y(), 1 - p.x());
  for (const QPointF& p : blue) QCOMPARE(p.y(), p.x() * (1 - p.x()));
}

void ChartTest::eachWindowKeepsItsOwnChart() {
  TEditForm first;
  first.ChartDisplay(101);
  const QList<QPointF> before = Points(first.ChartOpt->Series2);
  for (double& y : ChartY2) y = 0.9;
  ChartPointCount = 5;
  TEditForm second;
  second.ChartDisplay(104);
  QCOMPARE(Points(first.ChartOpt->Series2), before);
  QCOMPARE(second.ChartOpt->Series2->count(), 6);
  QCOMPARE(second.ChartOpt->Series2->at(3).y(), 0.9);
}

void ChartTest::resultWindowShowsBothLines() {
  QMdiArea area;
  auto* form = new TEditForm;
  area.addSubWindow(form);
  area.resize(800, 500);
  form->SetResultLayout(true);
  area.show();
  const auto chartImage = [form] {
    QCoreApplication::processEvents();
    return form->ChartOpt->grab().toImage().convertToFormat(QImage::Format_RGB32);
  };
  QImage empty = chartImage();
  QCOMPARE(CountPixels(empty, Reddish), 0);
  QCOMPARE(CountPixels(empty, Bluish) > 0, true);  // the title is blue

  const int blueTitle = CountPixels(empty, Bluish);
  form->ChartDisplay(101);
  const QImage drawn = chartImage();
  QVERIFY(CountPixels(drawn, Reddish) > 200);
  QVERIFY(CountPixels(drawn, Bluish) > blueTitle + 200);
}

void ChartTest::saveChartAsWritesAPng() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  QString answer;
  prompts.script.saveImageFileName = [&answer](const QString&) { return answer; };
  TChartOpt chart;
  chart.resize(353, 393);
  QCOMPARE(chart.SaveChartAs1->text(), QStringLiteral("Save Chart As..."));

  answer = dir.path("sub");
  QVERIFY(QDir().mkdir(answer));
  answer += "/chart";  // no extension: ".png" is added
  chart.SaveChartAs1->trigger();
  QImage image(dir.path("sub/chart.png"), "PNG");
  QCOMPARE(image.size(), QSize(353, 393));
  // A picture is no task file: the working directory stays.
  QCOMPARE(QFileInfo(QDir::currentPath()).canonicalFilePath(), QFileInfo(dir.path(".")).canonicalFilePath());

  answer = QString();
  chart.SaveChartAs1->trigger();
  answer = dir.path("no-such-folder/c.png");
  chart.SaveChartAs1->trigger();
  QCOMPARE(prompts.errors, QStringList(QStringLiteral("Cannot create file ") + answer));
}

REACTOPT_GUI_TEST_MAIN(ChartTest)
#include "ChartTest.moc"
