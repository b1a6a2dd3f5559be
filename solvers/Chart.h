#pragma once
// The chart of a run: the buffers the solvers fill, how many of their points
// are drawn, and the points as CSV.

#include <cstdint>
#include <string>
#include <vector>

// Chart points 0 to 20 of the last run: conversion, selectivity-type and
// yield-type quantity. Never cleared: a run writes only the entries it writes.
constexpr int kChartSize = 21;
extern double ChartX[kChartSize];
extern double ChartY1[kChartSize];
extern double ChartY2[kChartSize];
// Index of the last point to draw, for the tasks whose solver sets it.
extern std::int32_t ChartPointCount;

// What the chart does before drawing the run of `code`: the count is set to 20
// unless the solver set it. Returns the index of the last point to draw, which
// never exceeds 20.
int PrepareChartPointCount(int code);
// The index of the last point the chart will draw for the run of `code`,
// changing nothing.
int ChartPointsToDraw(int code);

// The points the chart will draw of the run of `code`, as they stand in the
// buffers: 0 to `last`.
struct ChartToDraw {
  const double* x;
  const double* y1;
  const double* y2;
  int last;
};
ChartToDraw ChartOfRun(int code);

// The buffers and the count as they are, to be put back when a run is
// refused or made aside.
class ChartBuffers {
 public:
  ChartBuffers();
  void Restore() const;

 private:
  double x_[kChartSize], y1_[kChartSize], y2_[kChartSize];
  std::int32_t count_;
};

struct ChartPoint {
  double x, y1, y2;
};

// The chart points as CSV: a line "k,x,y1,y2", then one line per point, each
// number with 17 significant digits, so that it reads back as the very double.
std::string ChartCsv(const std::vector<ChartPoint>& chart);
