// The parallel-consecutive scheme A -> R (k1), R -> S (k2), A -> D (k3), with
// concentrations relative to the inlet concentration of A; maximum of R.
//   113: plug-flow reactor; R and S integrated along the conversion.
//   114: stirred tank; the selectivities to R and D are the roots of the
//        tank's balances.

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "initial_data/TaskData.h"
#include "numeric/Proc.h"

namespace {

// The report up to the column heading; the tasks differ only in the heading.
TReportFile& BeginParallelConsecutiveReport(Real k1, Real k2, Real k3, const char* heading, Method method) {
  TReportFile& out = BeginReport(method);
  out.Line("Константы скорости, 1/с");
  out << "k(1) =" << Fixed(k1, 6, 5) << "  k(2) =" << Fixed(k2, 6, 5) << Eol;
  out << "k(3) =" << Fixed(k3, 6, 5) << Eol;
  out.Line("    Результаты расчета");
  out.Line(heading);
  return out;
}

struct AtMaximum {
  Real Xa, CS, CD;
};

void WriteParallelConsecutiveSummary(TReportFile& out, const Optimum<AtMaximum>& best) {
  const AtMaximum& at = best.At();
  out << "Максимальная отн. концентрация продукта R      Cr ="
      << Maximum("Cr", "Максимальная относительная концентрация продукта R на выходе, Cr", best.Best(), 6, 3,
                 Bound::Fraction)
      << Eol;
  out << "наблюдается при степени конверсии              Xa ="
      << Answer("Xa", "Степень конверсии A, при которой концентрация R максимальна, Xa", at.Xa, 6, 3,
                Bound::Conversion)
      << Eol;
  out << "Относительные концентрации остальных продуктов Cs ="
      << Answer("Cs", "Относительная концентрация S на выходе при максимальной концентрации R, Cs", at.CS, 6,
                3, Bound::Fraction)
      << Eol;
  out << "                                               Cd ="
      << Answer("Cd", "Относительная концентрация D на выходе при максимальной концентрации R, Cd", at.CD, 6,
                3, Bound::Fraction)
      << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}

// A row of both tasks: the conversion and the relative concentrations of R,
// S and D.
void WriteRow(TReportFile& out, Real Xa, Real CR, Real CS, Real CD) {
  const Column xa{"Xa", 7, 3, Bound::Conversion};
  const Column cr{"Cr", 7, 3, Bound::Fraction}, cs{"Cs", 7, 3, Bound::Fraction},
      cd{"Cd", 7, 3, Bound::Fraction};
  out << xa(Xa) << cr(CR) << cs(CS) << cd(CD) << Eol;
}

}  // namespace

void Task113() {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  if (k1 + k3 == 0) RefuseData("k(1) + k(3) = 0");

  TReportFile& out =
      BeginParallelConsecutiveReport(k1, k2, k3, "   Xa     Cr     Cs     Cb", Method::StepwiseIntegration);
  SetChartOrigin(Real(k1 / (k1 + k3)));

  // At zero conversion the selectivity to R is k1 / (k1 + k3) and no S forms.
  Real SelR = k1 / (k1 + k3);
  Trapezoid<> IR(SelR, kStep), IS(0, kStep);
  Optimum<AtMaximum> best;
  for (int i = 1; i <= 999; ++i) {
    const Real Xa = Conversion(i);
    // dCR/dXa and dCS/dXa with CR predicted from the previous selectivity.
    const Real fR = ((1 - Xa) * k1 - k2 * Xa * SelR) / ((k1 + k3) * (1 - Xa));
    const Real fS = k2 * Xa * SelR / ((k1 + k3) * (1 - Xa));
    SelR = IR.Add(fR) / Xa;
    const Real SelS = IS.Add(fS) / Xa;
    const Real CR = Xa * SelR;
    const Real CS = Xa * SelS;
    const Real CD = (1 - SelR - SelS) * Xa;
    best.Offer(i, CR, {Xa, CS, CD});
    if (IsPrintedStep(i, 999)) {
      WriteRow(out, Xa, CR, CS, CD);
      SetChartPoint(ChartIndex(i), Xa, SelR, CR);
    }
  }
  WriteParallelConsecutiveSummary(out, best);
}

// The tank's balances for the selectivities to R and to D, from which the
// selectivity to S follows.
Extended BalanceR114(double argument) {
  const Real X = CurrentConversion;
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  const Real x = argument;
  return (x + k1 * (1 - X) - k2 * (X * x)) - (k1 * (1 - X) + k3 * (1 - X)) * x;
}

Extended BalanceD114(double argument) {
  const Real X = CurrentConversion;
  const Real k1 = TaskParams.P1;
  const Real k3 = TaskParams.P3;
  const Real x = argument;
  return (x + k3 * (1 - X)) - (k1 * (1 - X) + k3 * (1 - X)) * x;
}

void Task114() {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  if (k1 + k3 == 0) RefuseData("k(1) + k(3) = 0");

  TReportFile& out = BeginParallelConsecutiveReport(k1, k2, k3, "   Xa     Cr     Cs     Cd", Method::Direct);
  SetChartOrigin(Real(k1 / (k1 + k3)));

  // Both balances are solved from the same starts at every conversion; the
  // roots are plain doubles because the solver writes them in place.
  const double StartR = Real(k1 / (k1 + k3)).value();
  const double StartD = Real(k3 / (k1 + k3)).value();
  double rootR = 0, rootD = 0;
  RunSucceeded = true;
  Optimum<AtMaximum> best;
  for (int i = 1; i <= 999; ++i) {
    const Real Xa = Conversion(i);
    CurrentConversion = Xa.value();
    SolveFixedPoint(BalanceR114, rootR, StartR, RunSucceeded);
    SolveFixedPoint(BalanceD114, rootD, StartD, RunSucceeded);
    const Real SelR = rootR;
    const Real SelD = rootD;
    const Real CR = Xa * SelR;
    const Real CD = Xa * SelD;
    const Real CS = (1 - SelR - SelD) * Xa;
    best.Offer(i, CR, {Xa, CS, CD});
    if (IsPrintedStep(i, 999)) {
      WriteRow(out, Xa, CR, CS, CD);
      SetChartPoint(ChartIndex(i), Xa, SelR, CR);
    }
  }
  WriteParallelConsecutiveSummary(out, best);
}
