#include "teaching/Exact.h"

#include <cstddef>
#include <exception>

#include "base/NumberText.h"
#include "schemes/BuiltInTasks.h"

namespace teaching {

namespace {

// How a built-in task names the quantities of its optimum that its task file
// gives: the label of the optimum's conversion and of its feed rate or volume
// (nullptr where the report prints none). The maximum is the answer the sweep
// maximised.
struct Labels {
  int code;
  const char* conversion;
  const char* flow;
};

// clang-format off
constexpr Labels kLabels[] = {
    {101, "Xa", nullptr},  {102, "XA", "Vr"},      {103, "Xa", nullptr}, {104, "Xaopt", "W0opt"},
    {105, "Xopt", "W0"},   {106, "Xopt", "W0"},    {107, "Xa", "W0"},    {108, "Xa", "W0"},
    {109, "XA", "Vr"},     {110, "XA", "Vr"},      {111, "Xa", nullptr}, {113, "Xa", nullptr},
    {114, "Xa", nullptr},  {115, "Xa", nullptr},   {116, "Xa", nullptr}, {117, "Xa", "W0"},
    {118, "Xa", "W0"},     {119, "Xa", nullptr},   {120, "XA", nullptr}, {121, "Xa", "Wo"},
    {122, "Xa", nullptr},  {123, "Xa", nullptr},   {124, "Xa", nullptr}, {125, "Xa", "Vr"},
};
// clang-format on

// The concentrations at the optimum that the built-in tasks print, by label,
// and the species of the task file each names. Task 103 spells some of its
// labels with Russian letters.
struct Concentration {
  int code;
  const char* label;
  const char* species;
};

constexpr Concentration kConcentrations[] = {
    {101, "CS", "S"}, {102, "CA", "A"},           {102, "CS", "S"},           {102, "CM", "M"},
    {102, "CD", "D"}, {103, "\u0421\u0430", "A"}, {103, "\u0421\u0432", "B"}, {103, "Cr", "R"},
    {103, "Cs", "S"}, {103, "\u0421t", "T"},      {104, "Cs", "S"},           {104, "Cb", "B"},
    {104, "Ca", "A"}, {107, "Cs", "S"},           {107, "Ca", "A"},           {107, "Cm", "M"},
    {108, "Cr", "R"}, {108, "Ca", "A"},           {108, "Cm", "M"},           {109, "CA", "A"},
    {109, "CS", "S"}, {110, "CA", "A"},           {110, "CR", "R"},           {111, "CS", "S"},
    {113, "Cs", "S"}, {113, "Cd", "D"},           {114, "Cs", "S"},           {114, "Cd", "D"},
    {115, "Cs", "S"}, {115, "Cb", "B"},           {115, "Ca", "A"},           {116, "Ca", "A"},
    {116, "Cb", "B"}, {116, "Cs", "S"},
};

// The exact concentration that `label` of task `code` prints, if it prints one.
const double* ConcentrationOf(int code, const std::string& label, const schemes::Scheme& scheme,
                              const schemes::SchemeRun& run) {
  for (const Concentration& c : kConcentrations) {
    if (c.code != code || label != c.label) continue;
    for (std::size_t i = 0; i < scheme.species.size() && i < run.optimumConcentrations.size(); ++i)
      if (scheme.species[i] == c.species) return &run.optimumConcentrations[i];
  }
  return nullptr;
}

const Labels* LabelsOf(int code) {
  for (const Labels& labels : kLabels)
    if (labels.code == code) return &labels;
  return nullptr;
}

// The scale from the exact yield to the maximum the report prints: task 103
// maximises the production rate v·CR, the yield times Ca0·v (slots 4 and 6).
double MaximumScale(int code, const std::vector<double>& values) {
  return code == 103 && values.size() >= 6 ? values[3] * values[5] : 1.0;
}

const schemes::SchemeAnswer* FlowOf(const schemes::SchemeRun& run) {
  for (const schemes::SchemeAnswer& answer : run.answers)
    if (answer.label == "V" || answer.label == "W0") return &answer;
  return nullptr;
}

int Decimals(const std::string& printed) {
  const std::size_t point = printed.find('.');
  return point == std::string::npos ? 0 : static_cast<int>(printed.size() - point - 1);
}

std::string Printed(double value, int decimals) {
  char buf[400];
  return std::string(buf, FixedDigits(buf, sizeof buf, value, decimals));
}

std::string Trimmed(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(' ');
  const std::size_t end = text.find_last_not_of(' ');
  return begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
}

}  // namespace

std::vector<ExactAnswer> ExactAnswersOf(int code, const std::vector<double>& values,
                                        const std::vector<OptimumQuantity>& answers) {
  const schemes::Scheme* scheme = schemes::BuiltInScheme(code);
  const Labels* labels = LabelsOf(code);
  if (!scheme || !labels) return {};
  schemes::SchemeRun run;
  try {
    run = schemes::RunScheme(*scheme, schemes::ValuesWithDefaults(*scheme, values));
  } catch (const std::exception&) {
    return {};
  }
  std::vector<ExactAnswer> exact;
  for (const OptimumQuantity& answer : answers) {
    if (answer.maximum)
      exact.push_back({answer.label, run.maxYield * MaximumScale(code, values)});
    else if (answer.label == labels->conversion)
      exact.push_back({answer.label, run.optimumConversion});
    else if (labels->flow && answer.label == labels->flow) {
      if (const schemes::SchemeAnswer* flow = FlowOf(run)) exact.push_back({answer.label, flow->exact});
    } else if (const double* concentration = ConcentrationOf(code, answer.label, *scheme, run))
      exact.push_back({answer.label, *concentration});
  }
  return exact;
}

std::string ExactLine(int code, const std::vector<double>& values,
                      const std::vector<OptimumQuantity>& answers) {
  const Labels* labels = LabelsOf(code);
  if (!labels) return {};
  const std::vector<ExactAnswer> exact = ExactAnswersOf(code, values, answers);
  const ExactAnswer* maximum = nullptr;
  const ExactAnswer* conversion = nullptr;
  std::string maximumDigits, conversionDigits;
  for (const OptimumQuantity& answer : answers)
    for (const ExactAnswer& value : exact) {
      if (value.label != answer.label) continue;
      const std::string digits = Printed(value.exact, Decimals(Trimmed(answer.value)) + 1);
      if (answer.maximum && !maximum) {
        maximum = &value;
        maximumDigits = digits;
      } else if (answer.label == labels->conversion && !conversion) {
        conversion = &value;
        conversionDigits = digits;
      }
    }
  if (!maximum || !conversion) return {};
  return "Точное решение: " + maximum->label + " = " + maximumDigits + " при " + conversion->label + " = " +
         conversionDigits;
}

}  // namespace teaching
