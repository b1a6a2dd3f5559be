#pragma once
// The exact optimum of a built-in task, from the task file that states it:
// beside the report's answers, which carry the error of the task's own
// numerical method, so that a student who solves the task exactly is marked
// right and sees how far the method lies from the exact optimum.

#include <string>
#include <vector>

#include "solvers/Report.h"

namespace teaching {

struct ExactAnswer {
  std::string label;  // as the report prints it
  double exact = 0;
};

// For each answer of `answers` (the report's answers of built-in task `code`
// run with slot values `values`) whose quantity the task file gives (the
// maximum, the optimum's conversion, its feed rate or volume, the
// concentrations at the optimum), its exact value, in the order of `answers`.
// Empty when no task file states the task or its engine refuses the values.
std::vector<ExactAnswer> ExactAnswersOf(int code, const std::vector<double>& values,
                                        const std::vector<OptimumQuantity>& answers);

// "Точное решение: CRmax = 0.3679 при Xa = 0.6321": the exact maximum and the
// conversion of the optimum, each with one decimal more than the report
// prints, so that the method's error shows; empty when there is none.
std::string ExactLine(int code, const std::vector<double>& values,
                      const std::vector<OptimumQuantity>& answers);

}  // namespace teaching
