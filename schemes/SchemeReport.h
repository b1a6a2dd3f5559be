#pragma once
// Between the sweep and the report: what a sweep found, and the run made of it.

#include <functional>
#include <vector>

#include "schemes/Scheme.h"

namespace schemes {

// The reactor at one conversion of the key reagent.
struct GridPoint {
  double conversion = 0;
  double time = 0;
  std::vector<double> c;  // per species
};

struct SweepOutcome {
  std::vector<GridPoint> grid;  // steps 0.001, 0.002, ... as far as reached
  SweepEnd end = SweepEnd::Complete;
  int coReagent = -1;  // the species that ran out, for SweepEnd::CoReagent
  GridPoint optimum;
  bool atEnd = false;
  double startSelectivity = 0;  // the limit of Y/Xa at Xa = 0
  // The sign of dY/dXa at grid step i, and the optimum refined between
  // steps a and b where it changes from fa > 0 to fb < 0; set by the sweep.
  std::function<double(std::size_t)> slope;
  std::function<GridPoint(std::size_t, std::size_t, double, double)> refine;
};

// The largest yield of the grid, refined where dY/dXa changes sign next to it.
void FindOptimum(double keyInlet, double targetInlet, int target, SweepOutcome& out);

// The report, chart and answers of a finished sweep. Throws InvalidDataError
// when the sweep reached no conversion at all.
SchemeRun MakeRun(const Scheme& scheme, const std::vector<double>& values, const std::vector<double>& inlet,
                  double flow, const SweepOutcome& out);

}  // namespace schemes
