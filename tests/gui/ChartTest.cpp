// The result chart: points in ascending X, filling from the chart buffers of a
// run, one independent chart per window, its drawing and its picture.

#include <QImage>
#include <QMdiArea>
#include <algorithm>
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

bool AscendingX(const QList<QPointF>& points) {
  return std::is_sorted(points.begin(), points.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
}

int CountPixels(const QImage& image, QRgb (*family)(QColor)) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += family(image.pixelColor(x, y)) != 0;
  return n;
}
QRgb Reddish(QColor c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; }
QRgb Bluish(QColor c) { return c.blue() > 180 && c.red() < 90 && c.green() < 90; }

}  // namespace

class ChartTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void pointsStayInAscendingX();
  void drawsPointsZeroToTheCount_data();
  void drawsPointsZeroToTheCount();
  void failedRunLeavesTheSeries();
  void descendingBuffersDrawFromLeftToRight();
  void eachWindowKeepsItsOwnChart();
  void resultWindowShowsBothLines();
  void saveChartAsWritesAPng();
  void everyTextShowsWholeAtEverySize_data();
  void everyTextShowsWholeAtEverySize();
};

void ChartTest::init() {
  FillBuffers();
  RunSucceeded = true;
}

void ChartTest::pointsStayInAscendingX() {
  TChartSeries series;
  std::vector<int> order(50);
  for (int i = 0; i < 50; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  for (int i : order) series.AddXY(i / 10, i);  // ten points share each X
  QVERIFY(AscendingX(series.points()));
  // Y values are not sorted: points of equal X keep the order they came in.
  QList<qreal> sameX, expected;
  for (const QPointF& p : series.points())
    if (p.x() == 0) sameX << p.y();
  for (int i : order)
    if (i < 10) expected << i;
  QCOMPARE(sameX, expected);
}

void ChartTest::drawsPointsZeroToTheCount_data() {
  QTest::addColumn<int>("code");
  QTest::addColumn<int>("count");   // as the solver left it
  QTest::addColumn<int>("points");  // drawn per series
  // A task whose solver does not count always draws all 21 points.
  QTest::newRow("not counted") << 101 << 3 << 21;
  QTest::newRow("counted") << 103 << 8 << 9;
  QTest::newRow("single point") << 103 << 0 << 1;
  QTest::newRow("low 16 bits") << 116 << 0x10005 << 6;
}

void ChartTest::drawsPointsZeroToTheCount() {
  QFETCH(int, code);
  QFETCH(int, count);
  QFETCH(int, points);
  TEditForm form;
  ChartPointCount = count;
  form.ChartDisplay(code);
  QCOMPARE(ChartPointCount, points == 21 ? 20 : count);
  QCOMPARE(form.ChartOpt->Series1->count(), points);
  QCOMPARE(form.ChartOpt->Series2->count(), points);
  QCOMPARE(form.ChartOpt->Series1->points().last(), QPointF(ChartX[points - 1], ChartY1[points - 1]));
  QCOMPARE(form.ChartOpt->Series2->points().last(), QPointF(ChartX[points - 1], ChartY2[points - 1]));
}

void ChartTest::failedRunLeavesTheSeries() {
  TEditForm form;
  form.ChartDisplay(101);
  RunSucceeded = false;
  ChartPointCount = 4;
  FillBuffers(/*descending=*/true);
  form.ChartDisplay(102);
  QCOMPARE(ChartPointCount, 20);  // set before the flag is looked at
  QCOMPARE(form.ChartOpt->Series1->count(), 21);
  QCOMPARE(form.ChartOpt->Series1->at(0).y(), 1.0);
}

void ChartTest::descendingBuffersDrawFromLeftToRight() {
  FillBuffers(/*descending=*/true);
  TEditForm form;
  form.ChartDisplay(111);
  QVERIFY(AscendingX(form.ChartOpt->Series1->points()));
  QVERIFY(AscendingX(form.ChartOpt->Series2->points()));
  // Each Y stays with its own X.
  for (const QPointF& p : form.ChartOpt->Series1->points()) QCOMPARE(p.y(), 1 - p.x());
  for (const QPointF& p : form.ChartOpt->Series2->points()) QCOMPARE(p.y(), p.x() * (1 - p.x()));
}

void ChartTest::eachWindowKeepsItsOwnChart() {
  TEditForm first;
  first.ChartDisplay(101);
  const QList<QPointF> before = first.ChartOpt->Series2->points();
  std::fill(std::begin(ChartY2), std::end(ChartY2), 0.9);
  ChartPointCount = 5;
  TEditForm second;
  second.ChartDisplay(104);
  QCOMPARE(first.ChartOpt->Series2->points(), before);
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
    return form->ChartOpt->grab().toImage();
  };
  const QImage empty = chartImage();
  QCOMPARE(CountPixels(empty, Reddish), 0);
  const int blueTitle = CountPixels(empty, Bluish);
  QVERIFY(blueTitle > 0);
  form->ChartDisplay(101);
  const QImage drawn = chartImage();
  QVERIFY(CountPixels(drawn, Reddish) > 200);
  QVERIFY(CountPixels(drawn, Bluish) > blueTitle + 200);
}

void ChartTest::saveChartAsWritesAPng() {
  TempWorkDir dir;
  ScriptedPrompts prompts;
  QStringList answers = {dir.path("sub/chart"), "", dir.path("no-such-folder/c.png")};
  prompts.script.saveImageFileName = [&answers](const QString&) { return answers.takeFirst(); };
  TChartOpt chart;
  chart.resize(353, 393);
  QVERIFY(QDir().mkdir(dir.path("sub")));
  for (int i = 0; i < 3; ++i) chart.SaveChartAs1->trigger();
  // ".png" is added to a name without extension.
  QCOMPARE(QImage(dir.path("sub/chart.png"), "PNG").size(), QSize(353, 393));
  QCOMPARE(prompts.errors, QStringList("Cannot create file " + dir.path("no-such-folder/c.png")));
  // A picture is no task file: the working directory stays.
  QCOMPARE(QFileInfo(QDir::currentPath()).canonicalFilePath(), QFileInfo(dir.path(".")).canonicalFilePath());
}

void ChartTest::everyTextShowsWholeAtEverySize_data() {
  QTest::addColumn<QSize>("extra");  // added to the least size
  QTest::newRow("least") << QSize(0, 0);
  QTest::newRow("as designed") << QSize(-1, -1);
  QTest::newRow("maximised") << QSize(700, 450);
  QTest::newRow("wide and low") << QSize(900, 0);
}

// Labels, titles and the foot are never cut or left out, whatever size a
// result window gives its chart.
void ChartTest::everyTextShowsWholeAtEverySize() {
  QFETCH(QSize, extra);
  TChartOpt chart;
  const QSize least = chart.minimumSize();
  QVERIFY(least.width() > 0 && least.width() <= 353 && least.height() <= 393);
  chart.resize(extra == QSize(-1, -1) ? QSize(353, 393) : least + extra);
  chart.show();
  QVERIFY(QTest::qWaitForWindowExposed(&chart));
  QCoreApplication::processEvents();
  QCOMPARE(ShownTexts(chart), WholeChartTexts());
}

REACTOPT_GUI_TEST_MAIN(ChartTest)
#include "ChartTest.moc"
