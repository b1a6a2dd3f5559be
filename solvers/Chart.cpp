#include "Chart.h"

#include <algorithm>

#include "TaskTable.h"
#include "base/NumberText.h"

double ChartX[kChartSize];
double ChartY1[kChartSize];
double ChartY2[kChartSize];
std::int32_t ChartPointCount = 0;

int ChartPointsToDraw(int code) {
  if (!SolverSetsPointCount(code)) return kChartSize - 1;
  // The chart reads the low 16 bits; anything past the buffers is not drawn.
  const int count = static_cast<int>(static_cast<std::uint32_t>(ChartPointCount) & 0xFFFFu);
  return std::min(count, kChartSize - 1);
}

int PrepareChartPointCount(int code) {
  if (!SolverSetsPointCount(code)) ChartPointCount = 20;
  return ChartPointsToDraw(code);
}

ChartToDraw ChartOfRun(int code) { return {ChartX, ChartY1, ChartY2, ChartPointsToDraw(code)}; }

ChartBuffers::ChartBuffers() : count_(ChartPointCount) {
  std::copy(ChartX, ChartX + kChartSize, x_);
  std::copy(ChartY1, ChartY1 + kChartSize, y1_);
  std::copy(ChartY2, ChartY2 + kChartSize, y2_);
}

void ChartBuffers::Restore() const {
  std::copy(x_, x_ + kChartSize, ChartX);
  std::copy(y1_, y1_ + kChartSize, ChartY1);
  std::copy(y2_, y2_ + kChartSize, ChartY2);
  ChartPointCount = count_;
}

std::string ChartCsv(const std::vector<ChartPoint>& chart) {
  std::string csv = "k,x,y1,y2\n";
  char buf[64];
  for (std::size_t k = 0; k < chart.size(); ++k) {
    csv += std::to_string(k);
    for (const double v : {chart[k].x, chart[k].y1, chart[k].y2}) {
      csv += ',';
      csv.append(buf, General17(buf, sizeof buf, v));
    }
    csv += '\n';
  }
  return csv;
}
