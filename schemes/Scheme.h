#pragma once
// Task files: any isothermal scheme of mass-action reactions in a stirred
// tank or a plug-flow reactor, read from TOML and optimised exactly. Plain
// C++, no state between calls: a scheme and its values go in, the report,
// the chart and the answers come out as values, so that runs may overlap.

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace schemes {

// A task file that cannot be taken. The text is Russian (UTF-8) and names
// the file and the line; `line` and `column` count from 1, 0 when unknown.
struct SchemeError : std::runtime_error {
  SchemeError(const std::string& text, int atLine, int atColumn)
      : std::runtime_error(text), line(atLine), column(atColumn) {}
  int line;
  int column;
};

// A number of the file, or the name of the parameter that gives it.
struct Quantity {
  double number = 0;
  int parameter = -1;  // index into Scheme::parameters, or -1 for a number
};

// A data field: its name in the file, its label in the data dialog and the
// report, and the three values offered (the first is the default).
struct Parameter {
  std::string name;
  std::string label;  // UTF-8
  std::vector<double> offered;
  std::vector<std::string> offeredTexts;  // the shortest texts of those values
};

// One species with its whole stoichiometric coefficient.
struct Term {
  int species = 0;  // index into Scheme::species
  int coefficient = 1;
};

struct Reaction {
  std::string text;  // as written in the file
  std::vector<Term> left, right;
  bool reversible = false;
  Quantity forward, backward;  // backward only when reversible
};

enum class Reactor { PlugFlow, StirredTank };
// What the file fixes besides the residence time: nothing, the feed rate
// (the volume is reported) or the volume (the feed rate is reported).
enum class Flow { None, Feed, Volume };

struct Scheme {
  std::string fileName;
  std::string title;      // UTF-8
  std::string statement;  // UTF-8, may be empty
  Reactor reactor = Reactor::PlugFlow;
  int key = 0;                       // index into species
  int target = 0;                    // index into species
  std::vector<std::string> species;  // in the order of first appearance in the reactions
  std::vector<Reaction> reactions;
  std::vector<Quantity> inlet;  // one per species; 0 where the file gives none
  Flow flow = Flow::None;
  Quantity flowValue;
  std::vector<Parameter> parameters;  // in the order of the data fields, at most 10
};

// Reads a task file (UTF-8 text). Throws SchemeError naming the line.
Scheme ParseScheme(std::string_view utf8, const std::string& fileName);

// A quantity of the optimum as the answers give it.
struct SchemeAnswer {
  std::string label;     // "Xa", "YR", "t", "CA", ..., "V" or "W0"
  std::string value;     // the printed digits
  double exact = 0;      // the value before printing
  bool maximum = false;  // the quantity the sweep maximised
};

// Why the sweep of the conversion ended.
enum class SweepEnd {
  Complete,     // it reached the last conversion, 0.999
  Equilibrium,  // the reactor cannot convert more of the key reagent
  CoReagent,    // a co-reagent ran out
};

struct SchemeRun {
  std::string report;  // Windows-1251, CR LF: the bytes of opt.out
  // Chart points: conversion, selectivity, yield; first Xa = 0 (the
  // selectivity's limit there), then every 0.05 of the conversion and the
  // last step reached, as the table's rows.
  std::vector<std::array<double, 3>> chart;
  std::vector<SchemeAnswer> answers;  // in the order of the labels above
  double optimumConversion = 0;       // the refined optimum
  double maxYield = 0;
  double optimumTime = 0;
  std::vector<double> optimumConcentrations;  // per species at the optimum
  bool optimumAtEnd = false;                  // the maximum lies at an end of the sweep
  double lastConversion = 0;                  // the last conversion the sweep reached
  SweepEnd end = SweepEnd::Complete;
};

// Runs the scheme with `values` in parameter order (one per parameter).
// Throws InvalidDataError (base/Errors.h) for values the scheme cannot take,
// named as the data problem, and std::invalid_argument for a wrong count.
SchemeRun RunScheme(const Scheme& scheme, const std::vector<double>& values);

// The values as the front ends fill them: the given ones, then the first
// offered value for the rest. Throws std::invalid_argument for more values
// than parameters.
std::vector<double> ValuesWithDefaults(const Scheme& scheme, const std::vector<double>& given);

// The chart points as CSV, the shape of reactopt-batch --chart.
std::string SchemeChartCsv(const SchemeRun& run);
// The answers as CSV, the shape of reactopt-batch --answer.
std::string SchemeAnswersCsv(const SchemeRun& run);

}  // namespace schemes
