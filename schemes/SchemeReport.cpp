// The report of a scheme in the house style of the built-in tasks: the data,
// a table every 0.05 of the conversion and the last step, the optimum in
// words; and its chart points and answers.

#include "schemes/SchemeReport.h"

#include <cmath>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/NumberText.h"

namespace schemes {

namespace {

constexpr int kRowEvery = 50;  // grid steps between table rows: 0.05 of Xa

std::string Fixed(double v, int decimals) {
  char buf[400];
  std::string s(buf, FixedDigits(buf, sizeof buf, v, decimals));
  // A value that rounds to zero prints without its sign.
  if (!s.empty() && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

// The count of significant digits of a number's text.
int Digits(const std::string& s) {
  int digits = 0;
  bool leading = true;
  for (char c : s) {
    if (c == 'E') break;
    if (c < '0' || c > '9') continue;
    if (c != '0') leading = false;
    if (!leading) ++digits;
  }
  return digits;
}

// Five significant digits: fixed notation from 1e-4 to 1e5, else a mantissa
// and a power of ten ("1.2346E-12"), whose powers come from exact products
// and quotients of tens, the same on every platform.
std::string Significant(double v) {
  const double a = std::fabs(v);
  if (a == 0) return "0.0000";
  int exponent = 0;
  double power = 1;
  if (a >= 1) {
    while (a >= power * 10 && exponent < 400) {
      power *= 10;
      ++exponent;
    }
  } else {
    while (a < power && exponent > -400) {
      power /= 10;
      --exponent;
    }
  }
  if (exponent >= -4 && exponent < 5) {
    std::string s = Fixed(v, 4 - exponent);
    // 9.99996 rounds up to 10.0000: one decimal less keeps five digits;
    // 99999.6 rounds up to 1.0000E5.
    if (Digits(s) <= 5) return s;
    if (exponent < 4) return Fixed(v, 3 - exponent);
  }
  std::string mantissa = Fixed(v / power, 4);
  if (Digits(mantissa) > 5) {
    ++exponent;
    mantissa = Fixed(v / (power * 10), 4);
  }
  return mantissa + "E" + std::to_string(exponent);
}

std::size_t Length(const std::string& utf8) {
  std::size_t n = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

std::string PadLeft(const std::string& s, std::size_t width) {
  const std::size_t n = Length(s);
  return n >= width ? s : std::string(width - n, ' ') + s;
}
std::string PadRight(const std::string& s, std::size_t width) {
  const std::size_t n = Length(s);
  return n >= width ? s : s + std::string(width - n, ' ');
}

std::string Csv(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

struct Lines {
  std::string text;
  void operator()(const std::string& line) { text += line + "\r\n"; }
};

}  // namespace

SchemeRun MakeRun(const Scheme& scheme, const std::vector<double>& values, const std::vector<double>& inlet,
                  double flow, const SweepOutcome& out) {
  const std::string& key = scheme.species[static_cast<std::size_t>(scheme.key)];
  const std::string& target = scheme.species[static_cast<std::size_t>(scheme.target)];
  if (out.grid.empty()) throw InvalidDataError("реактор не достигает степени превращения " + key + " 0.001");
  const std::size_t n = scheme.species.size();
  const double keyInlet = inlet[static_cast<std::size_t>(scheme.key)];
  const double targetInlet = inlet[static_cast<std::size_t>(scheme.target)];
  auto yield = [&](const GridPoint& g) {
    return (g.c[static_cast<std::size_t>(scheme.target)] - targetInlet) / keyInlet;
  };

  SchemeRun run;
  Lines line;
  line(scheme.title);
  line("Исходные данные");
  for (std::size_t j = 0; j < values.size(); ++j)
    line(scheme.parameters[j].label + " = " + ShortestText(values[j]));
  line(scheme.reactor == Reactor::PlugFlow ? "Реактор идеального вытеснения" : "Реактор идеального смешения");
  line("Схема реакций");
  for (const Reaction& r : scheme.reactions) line("  " + r.text);
  std::string fed = "Концентрации на входе, кмоль/м3:";
  for (std::size_t i = 0; i < n; ++i)
    if (inlet[i] > 0) fed += " C" + scheme.species[i] + "0 = " + ShortestText(inlet[i]);
  line(fed);
  // A feed or volume given as a parameter is among the data already.
  if (scheme.flowValue.parameter < 0) {
    if (scheme.flow == Flow::Feed) line("Скорость подачи, м3/с = " + ShortestText(flow));
    if (scheme.flow == Flow::Volume) line("Объем реактора, м3 = " + ShortestText(flow));
  }

  // The table: every 0.05 of Xa and the last step reached.
  std::vector<std::size_t> widths = {7, 11};
  std::string head = PadLeft("Xa", 7) + PadLeft("t, с", 11);
  for (const std::string& s : scheme.species) {
    widths.push_back(std::max<std::size_t>(10, s.size() + 3));
    head += PadLeft("C" + s, widths.back());
  }
  const std::size_t fractionWidth = std::max<std::size_t>(9, target.size() + 3);
  head += PadLeft("S" + target, fractionWidth) + PadLeft("Y" + target, fractionWidth);
  line("     Результаты расчета");
  line(head);
  std::vector<std::size_t> rows;
  for (std::size_t i = 0; i < out.grid.size(); ++i)
    if ((i + 1) % kRowEvery == 0 || i + 1 == out.grid.size()) rows.push_back(i);
  run.chart.push_back({0.0, out.startSelectivity, 0.0});
  auto check = [&](double v, const char* what, double x) {
    if (!std::isfinite(v))
      throw InvalidDataError(std::string("значение ") + what + " не конечно при Xa = " + Fixed(x, 3));
  };
  for (std::size_t i : rows) {
    const GridPoint& g = out.grid[i];
    const double y = yield(g), s = y / g.conversion;
    check(g.time, "t", g.conversion);
    check(y, "выхода", g.conversion);
    std::string row = PadLeft(Fixed(g.conversion, 3), 7) + PadLeft(Significant(g.time), 11);
    for (std::size_t c = 0; c < n; ++c) {
      check(g.c[c], "концентрации", g.conversion);
      row += PadLeft(Fixed(g.c[c], 4), widths[c + 2]);
    }
    row += PadLeft(Fixed(s, 4), fractionWidth) + PadLeft(Fixed(y, 4), fractionWidth);
    line(row);
    run.chart.push_back({g.conversion, s, y});
  }
  const GridPoint& last = out.grid.back();
  std::string lastLine = "Последний шаг расчета: Xa = " + Fixed(last.conversion, 3);
  if (out.end == SweepEnd::Equilibrium)
    lastLine += "; дальше степень превращения " + key + " ограничена равновесием";
  else if (out.end == SweepEnd::CoReagent)
    lastLine += "; дальше " + key + " не расходуется: израсходован реагент " +
                scheme.species[static_cast<std::size_t>(out.coReagent)];
  line(lastLine);

  // The optimum in words, and the same as answers.
  const GridPoint& o = out.optimum;
  const double yMax = yield(o);
  check(yMax, "выхода", o.conversion);
  check(o.time, "t", o.conversion);
  auto answer = [&](const std::string& label, double exact, std::string printed, bool maximum) {
    run.answers.push_back({label, std::move(printed), exact, maximum});
  };
  answer("Xa", o.conversion, Fixed(o.conversion, 4), false);
  answer("Y" + target, yMax, Fixed(yMax, 4), true);
  answer("t", o.time, Significant(o.time), false);
  for (std::size_t c = 0; c < n; ++c) answer("C" + scheme.species[c], o.c[c], Significant(o.c[c]), false);
  if (scheme.flow == Flow::Feed) answer("V", flow * o.time, Significant(flow * o.time), false);
  if (scheme.flow == Flow::Volume) answer("W0", flow / o.time, Significant(flow / o.time), false);
  for (const SchemeAnswer& a : run.answers) check(a.exact, a.label.c_str(), o.conversion);

  constexpr std::size_t labelWidth = 42;
  auto stated = [&](const std::string& words, const SchemeAnswer& a) {
    line(PadRight(words, labelWidth) + PadLeft(a.label, 3) + " = " + a.value);
  };
  stated("Максимальный выход продукта " + target + ",", run.answers[1]);
  stated("достигается при степени превращения " + key + ",", run.answers[0]);
  stated("времени пребывания, с,", run.answers[2]);
  line("Концентрации на выходе при максимуме выхода, кмоль/м3:");
  std::string concentrations = " ";
  for (std::size_t c = 0; c < n; ++c)
    concentrations += " " + run.answers[3 + c].label + " = " + run.answers[3 + c].value;
  line(concentrations);
  if (scheme.flow == Flow::Feed) stated("Объем реактора, м3,", run.answers.back());
  if (scheme.flow == Flow::Volume) stated("Скорость подачи, м3/с,", run.answers.back());
  if (out.atEnd)
    line("Максимум выхода лежит на границе расчета (Xa = " + Fixed(o.conversion, 3) + "): внутри интервала " +
         "выход " + std::string(o.conversion == last.conversion ? "растет" : "падает"));

  if (!cp1251::FromUtf8(line.text, run.report))
    throw InvalidDataError("текст отчета нельзя записать в кодировке Windows-1251");
  run.optimumConversion = o.conversion;
  run.maxYield = yMax;
  run.optimumTime = o.time;
  run.optimumConcentrations = o.c;
  run.optimumAtEnd = out.atEnd;
  run.lastConversion = last.conversion;
  run.end = out.end;
  return run;
}

std::string SchemeChartCsv(const SchemeRun& run) {
  std::string csv = "k,x,y1,y2\n";
  char buf[64];
  for (std::size_t k = 0; k < run.chart.size(); ++k) {
    csv += std::to_string(k);
    for (double v : run.chart[k]) {
      csv += ',';
      csv.append(buf, General17(buf, sizeof buf, v));
    }
    csv += '\n';
  }
  return csv;
}

std::string SchemeAnswersCsv(const SchemeRun& run) {
  std::string csv = "label,value\n";
  for (const SchemeAnswer& a : run.answers) csv += Csv(a.label) + ',' + a.value + '\n';
  return csv;
}

}  // namespace schemes
