#include "Variants.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/TaskIdentity.h"
#include "base/Text.h"
#include "initial_data/TaskData.h"
#include "schemes/Scheme.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"
#include "teaching/Exact.h"
#include "teaching/Study.h"

namespace teaching {

namespace {

// A class asks for dozens of variants; the cap keeps a mistyped count from
// running for hours.
constexpr int kMaxCount = 1000;
constexpr int kMaxDigits = 3;
constexpr int kMaxToleranceDecimals = 6;
// A study question multiplies a field by a factor a student can picture; a
// larger one would only print long values that no task takes.
constexpr int kMaxFactorDecimals = 6;
constexpr const char* kMaxFactor = "1000";

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The value of an offered double as the data file writes it.
Decimal OfferedDecimal(double value) {
  Decimal d;
  ParseDecimal(ShortestText(value), d);
  return d;
}

bool IsFieldNumber(const std::string& text, int& slot) {
  if (text.empty() || text.size() > 2) return false;
  slot = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    slot = slot * 10 + (c - '0');
  }
  return slot >= 1 && slot <= 10;
}

bool Matches(const RangeSetting& range, const DrawnField& field) {
  int slot = 0;
  if (IsFieldNumber(Trimmed(range.field), slot)) return slot == field.slot;
  return Trimmed(range.field) == field.label;
}

// A bound of a range: a number a student could type, not negative.
Decimal Bound(const RangeSetting& range, const std::string& text) {
  double value = 0;
  Decimal d;
  if (!ParseTypedDecimal(text, value, d))
    throw KitRequestError("Диапазон поля «" + range.field + "»: «" + text + "» — не число");
  if (d.negative)
    throw KitRequestError("Диапазон поля «" + range.field + "»: граница " + text + " отрицательна");
  return d;
}

// Digits and place from the values that set a field's precision.
void Precision(DrawnField& field, const std::vector<Decimal>& values) {
  int digits = 0;
  std::optional<int> place;
  for (const Decimal& v : values) {
    if (v.IsZero()) continue;
    digits = std::max(digits, v.SignificantDigits());
    place = place ? std::min(*place, v.LastPlace()) : v.LastPlace();
  }
  field.digits = std::clamp(digits, 1, kMaxDigits);
  field.place = place.value_or(0);
}

// A field from its offered values, with the ranges that name it applied.
DrawnField Field(int slot, const std::string& label, std::vector<Decimal> offered,
                 const std::vector<RangeSetting>& ranges) {
  DrawnField field;
  field.slot = slot;
  field.label = label;
  std::sort(offered.begin(), offered.end(),
            [](const Decimal& a, const Decimal& b) { return Compare(a, b) < 0; });
  field.low = offered.front().negative ? Decimal{} : offered.front();
  field.high = offered.back().negative ? Decimal{} : offered.back();
  std::vector<Decimal> precision = offered;
  for (const RangeSetting& range : ranges) {
    if (!Matches(range, field)) continue;
    field.low = Bound(range, range.low);
    field.high = Bound(range, range.high);
    if (Compare(field.low, field.high) > 0)
      throw KitRequestError("Диапазон поля «" + range.field + "»: нижняя граница " + range.low +
                            " больше верхней " + range.high);
    precision.push_back(field.low);
    precision.push_back(field.high);
  }
  Precision(field, precision);
  return field;
}

// A task file's fields: its parameters with their offered values.
std::vector<DrawnField> SchemeFields(const schemes::Scheme& scheme, const std::vector<RangeSetting>& ranges) {
  std::vector<DrawnField> fields;
  for (std::size_t j = 0; j < scheme.parameters.size(); ++j) {
    std::vector<Decimal> offered;
    for (const std::string& text : scheme.parameters[j].offeredTexts) {
      Decimal d;
      ParseDecimal(text, d);
      offered.push_back(d);
    }
    fields.push_back(Field(static_cast<int>(j) + 1, Trimmed(scheme.parameters[j].label), offered, ranges));
  }
  return fields;
}

std::uint64_t Power10(int n) {
  std::uint64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

int DigitCount(std::uint64_t n) {
  int count = 1;
  while (n >= 10) n /= 10, ++count;
  return count;
}

// `d` in units of 10^place, rounded down or up; the caller keeps it below
// 10^18.
std::uint64_t Units(const Decimal& d, int place, bool up) {
  if (d.IsZero()) return 0;
  std::string digits = d.digits;
  bool cut = false;
  if (d.exponent >= place) {
    digits.append(static_cast<std::size_t>(d.exponent - place), '0');
  } else {
    const std::size_t drop = static_cast<std::size_t>(place - d.exponent);
    cut = true;
    digits = drop >= digits.size() ? "0" : digits.substr(0, digits.size() - drop);
  }
  std::uint64_t n = 0;
  for (char c : digits) n = n * 10 + static_cast<std::uint64_t>(c - '0');
  return n + (cut && up ? 1 : 0);
}

Decimal FromUnits(std::uint64_t n, int place) { return FromDigits(std::to_string(n), place); }

// One value of `field`: uniform over its range at three digits finer than its
// place, then rounded (half up) to its significant digits, never finer than
// its place. Nothing when the rounded value leaves the range.
std::optional<std::string> DrawValue(const DrawnField& field, SplitMix64& random) {
  if (Compare(field.low, field.high) == 0) return PlainText(field.low);
  const int place = std::max(field.place - 3, field.high.LeadingPlace() - 17);
  const std::uint64_t low = Units(field.low, place, true), high = Units(field.high, place, false);
  if (high < low) return std::nullopt;
  const std::uint64_t n = low + random.Below(high - low + 1);
  Decimal value = FromUnits(n, place);
  if (n != 0) {
    const int lead = place + DigitCount(n) - 1;
    const int round = std::max(field.place, lead - field.digits + 1);
    if (round > place) {
      const std::uint64_t unit = Power10(round - place);
      std::uint64_t kept = n / unit;
      if (2 * (n % unit) >= unit) ++kept;
      value = FromUnits(kept, round);
    }
  }
  if (Compare(value, field.low) < 0 || Compare(value, field.high) > 0) return std::nullopt;
  return PlainText(value);
}

struct RunResult {
  bool taken = false;
  bool interior = false;
  std::vector<OptimumQuantity> answers;
  std::vector<std::optional<double>> exact;  // per answer
};

// The exact value of each answer of built-in task `code` run with `values`,
// where the task file that states the task gives it.
std::vector<std::optional<double>> ExactOf(int code, const std::vector<double>& values,
                                           const std::vector<OptimumQuantity>& answers) {
  std::vector<std::optional<double>> exact(answers.size());
  const std::vector<ExactAnswer> known = ExactAnswersOf(code, values, answers);
  for (std::size_t i = 0; i < answers.size(); ++i)
    for (const ExactAnswer& e : known)
      if (e.label == answers[i].label) exact[i] = e.exact;
  return exact;
}

// Runs `code` with `values` (all its slots, or none for the defaults the
// data dialog stores untouched, read from `dataFile`).
RunResult RunSet(int code, const std::vector<double>& values, const std::string& dataFile) {
  TaskRequest request;
  request.code = code;
  request.values.assign(values.begin(), values.end());
  // A refusal's wording is never shown here, so a run with every value
  // given need not read the data file for the fields' names.
  request.data = values.empty() ? DataSource::Bytes : DataSource::None;
  if (values.empty()) request.dataFile = dataFile;
  TaskResult run = RunTaskRequest(request);
  RunResult result;
  if (!run.ran) return result;
  const SweepOptimum& where = run.optimum;
  result.taken = true;
  result.interior = where.step != 0 && where.step != where.firstStep && where.step != where.lastStep;
  result.answers = std::move(run.answers);
  return result;
}

std::optional<std::vector<double>> NumbersOf(const std::vector<std::string>& data) {
  std::vector<double> values;
  for (const std::string& text : data) {
    double value = 0;
    if (!ParseTypedNumber(text, value)) return std::nullopt;
    values.push_back(value);
  }
  return values;
}

// A scheme's answers as a built-in task's: each with the question a sheet
// asks, its symbol last but for a unit.
std::vector<OptimumQuantity> SchemeQuantities(const schemes::Scheme& scheme, const schemes::SchemeRun& run) {
  const std::string& key = scheme.species[static_cast<std::size_t>(scheme.key)];
  const std::string& target = scheme.species[static_cast<std::size_t>(scheme.target)];
  const std::string when = " при максимальном выходе " + target;
  std::vector<OptimumQuantity> answers;
  for (const schemes::SchemeAnswer& a : run.answers) {
    std::string question;
    if (a.label == "Xa")
      question = "Степень превращения " + key + when + ", Xa";
    else if (a.maximum)
      question = "Максимальный выход " + target + " (на " + key + ", поданное в реактор), " + a.label;
    else if (a.label == "t")
      question = "Время пребывания" + when + ", t";
    else if (a.label == "V")
      question = "Объем реактора" + when + ", V";
    else if (a.label == "W0")
      question = "Объемный расход" + when + ", W0";
    else
      question = "Концентрация " + a.label.substr(1) + " на выходе" + when + ", " + a.label;
    answers.push_back({a.label, a.value, a.label + " = " + a.value, a.maximum, question});
  }
  return answers;
}

// A task file's statement as a sheet shows it: the title, then the file's
// statement or, without one, the scheme written out, with a note on what each
// parameter is, which the sheet shows above the data.
std::string SchemeStatement(const schemes::Scheme& scheme) {
  std::string text = scheme.title + "\n\n";
  if (!scheme.statement.empty()) return text + scheme.statement;
  const auto& species = scheme.species;
  const auto named = [&](const schemes::Quantity& q) {
    return q.parameter >= 0 ? scheme.parameters[static_cast<std::size_t>(q.parameter)].name
                            : ShortestText(q.number);
  };
  // What each parameter stands for, in the words of its uses.
  std::vector<std::string> uses(scheme.parameters.size());
  const auto use = [&](const schemes::Quantity& q, const std::string& what) {
    if (q.parameter < 0) return;
    std::string& u = uses[static_cast<std::size_t>(q.parameter)];
    u += (u.empty() ? "" : "; ") + what;
  };
  text += "Схема реакций\n\n";
  for (const schemes::Reaction& r : scheme.reactions) {
    text += "        " + r.text + "\n";
    const std::string equation = r.text.substr(0, r.text.rfind(':'));
    use(r.forward, "константа скорости " + std::string(r.reversible ? "прямой реакции " : "реакции ") +
                       Trimmed(equation));
    if (r.reversible) use(r.backward, "константа скорости обратной реакции " + Trimmed(equation));
  }
  text += "\nУсловие\n  В изотермическом реакторе идеального ";
  text += scheme.reactor == schemes::Reactor::StirredTank ? "смешения" : "вытеснения";
  text +=
      " протекают реакции\n  по приведенной схеме, их скорости - по закону действующих масс.\n  На вход "
      "подаются";
  bool first = true;
  for (std::size_t i = 0; i < species.size(); ++i) {
    const schemes::Quantity& q = scheme.inlet[i];
    if (q.parameter < 0 && q.number == 0) continue;
    text += (first ? " " : ", ") + species[i] + " (" + named(q) + " кмоль/м3)";
    use(q, "концентрация " + species[i] + " на входе, кмоль/м3");
    first = false;
  }
  text += ", остальных веществ\n  на входе нет.";
  if (scheme.flow == schemes::Flow::Feed) {
    text += " Объемный расход " + named(scheme.flowValue) + ".";
    use(scheme.flowValue, "объемный расход");
  }
  if (scheme.flow == schemes::Flow::Volume) {
    text += " Объем реактора " + named(scheme.flowValue) + ".";
    use(scheme.flowValue, "объем реактора");
  }
  const std::string& key = species[static_cast<std::size_t>(scheme.key)];
  const std::string& target = species[static_cast<std::size_t>(scheme.target)];
  text += "\n  Найти степень превращения " + key + ", при которой выход " + target +
          " наибольший,\n  этот выход и состав смеси на выходе из реактора.\n\nИсходные данные\n";
  for (std::size_t j = 0; j < scheme.parameters.size(); ++j)
    text += "  " + scheme.parameters[j].name + " - " + uses[j] + "\n";
  return text;
}

// Runs a task file with the value texts `data` (every parameter's).
RunResult RunSchemeWith(const schemes::Scheme& scheme, const std::vector<std::string>& data) {
  const std::optional<std::vector<double>> values = NumbersOf(data);
  if (!values) return {};
  RunResult result;
  schemes::SchemeRun run;
  try {
    run = schemes::RunScheme(scheme, *values);
  } catch (const InvalidDataError&) {
    return result;
  } catch (const std::invalid_argument&) {
    return result;
  }
  result.taken = true;
  result.interior = !run.optimumAtEnd;
  result.answers = SchemeQuantities(scheme, run);
  // The engine's answers are the exact optimum already.
  result.exact.assign(result.answers.size(), std::nullopt);
  return result;
}

RunResult RunWith(int code, const std::vector<std::string>& data) {
  const std::optional<std::vector<double>> values = NumbersOf(data);
  if (!values) return {};
  RunResult result = RunSet(code, *values, "");
  if (result.taken) result.exact = ExactOf(code, *values, result.answers);
  return result;
}

std::vector<std::string> Values(const std::vector<OptimumQuantity>& answers) {
  std::vector<std::string> values;
  for (const OptimumQuantity& q : answers) values.push_back(q.value);
  return values;
}

// "Задача 101 (Последовательные реакции ...)": the code and the statement's
// second line, its title.
std::string TaskName(int code, const std::string& statement) {
  if (code == 0) {
    // A task file's statement is its title first, then its text.
    const std::string title = statement.substr(0, statement.find('\n'));
    return "Задача «" + title + "»";
  }
  const std::string name = "Задача " + std::to_string(code);
  const std::string title = StatementTitle(statement);
  return title.empty() ? name : name + " «" + title + "»";
}

// What drawing needs of a task, a built-in one or a task file's: its fields,
// the run of its default data and a run of drawn data.
struct TaskSource {
  int code = 0;
  const schemes::Scheme* scheme = nullptr;  // for a task file
  std::string dataFile;
};

RunResult RunOf(const TaskSource& source, const std::vector<std::string>& data) {
  return source.scheme ? RunSchemeWith(*source.scheme, data) : RunWith(source.code, data);
}

// FNV-1a of a task file's name: its generator's start, as the code is a
// built-in task's, so that its variants depend on nothing else asked for.
std::uint64_t NameHash(const std::string& name) {
  std::uint64_t hash = 0xCBF29CE484222325ULL;
  for (unsigned char c : name) hash = (hash ^ c) * 0x100000001B3ULL;
  return hash;
}

// The field a study question changes in one task: its slot, how the sheet
// names it and the factor.
struct StudyField {
  int slot = 0;
  std::string name;
  std::string factor;  // as typed
};

Decimal FactorOf(const std::string& text) {
  double value = 0;
  Decimal d;
  ParseTypedDecimal(text, value, d);
  return d;
}

std::optional<StudyField> BuiltInStudyField(int code, const std::string& dataFile,
                                            const StudySetting& study) {
  StudyRequest plan;
  plan.code = code;
  plan.dataFile = dataFile;
  plan.parameter = study.field;
  plan.low = 0;
  plan.high = 1;
  plan.count = kStudyMinPoints;
  try {
    const Study planned = PlanStudy(plan);
    // A field whose label gives no symbol is named by its label.
    const bool symbol = planned.parameterKey != "P" + std::to_string(planned.slot);
    return StudyField{planned.slot, symbol ? planned.parameterKey : "«" + planned.parameterLabel + "»",
                      study.factor};
  } catch (const StudyError&) {
    return std::nullopt;
  }
}

std::optional<StudyField> SchemeStudyField(const schemes::Scheme& scheme, const StudySetting& study) {
  const std::string wanted = Trimmed(study.field);
  int number = 0;
  const bool byNumber = IsFieldNumber(wanted, number);
  for (std::size_t j = 0; j < scheme.parameters.size(); ++j) {
    const schemes::Parameter& p = scheme.parameters[j];
    const int slot = static_cast<int>(j) + 1;
    if (byNumber ? number == slot : wanted == p.name || wanted == Trimmed(p.label))
      return StudyField{slot, p.name, study.factor};
  }
  return std::nullopt;
}

// The study question of a variant with `data`: nothing when the task refuses
// the changed data, or, with `interiorWanted`, leaves the optimum at an end of
// the sweep, or states no maximum.
std::optional<StudyQuestion> AskStudy(const TaskSource& source, const StudyField& field,
                                      const std::vector<std::string>& data, bool interiorWanted) {
  const std::size_t at = static_cast<std::size_t>(field.slot - 1);
  Decimal value;
  if (at >= data.size() || !ParseDecimal(data[at], value)) return std::nullopt;
  std::vector<std::string> changed = data;
  changed[at] = PlainText(Multiply(value, FactorOf(field.factor)));
  RunResult run = RunOf(source, changed);
  if (!run.taken || (interiorWanted && !run.interior)) return std::nullopt;
  for (std::size_t i = 0; i < run.answers.size(); ++i) {
    if (!run.answers[i].maximum) continue;
    StudyQuestion study;
    study.value = changed[at];
    study.answer = run.answers[i];
    study.exact = i < run.exact.size() ? run.exact[i] : std::nullopt;
    study.question = StudyQuestionText(study.answer, field.name, field.factor, study.value);
    study.change = field.name + " × " + PlainText(FactorOf(field.factor));
    study.heading = study.answer.label + " при " + study.change;
    return study;
  }
  return std::nullopt;
}

TaskVariants DrawTask(const TaskSource& source, TaskVariants task, const KitRequest& request,
                      const std::optional<StudyField>& study) {
  const int code = source.code;
  RunResult defaults;
  if (source.scheme) {
    std::vector<std::string> data;
    for (const schemes::Parameter& p : source.scheme->parameters) data.push_back(p.offeredTexts.front());
    defaults = RunSchemeWith(*source.scheme, data);
  } else {
    // The default data: those the data dialog stores untouched.
    defaults = RunSet(code, {}, source.dataFile);
  }
  const bool interiorWanted = defaults.taken && defaults.interior;

  const std::uint64_t start = source.scheme ? NameHash(task.name) : static_cast<std::uint64_t>(code);
  SplitMix64 random(request.seed + start * 0x9E3779B97F4A7C15ULL);
  std::set<std::vector<std::string>> tried, answerSets;
  // Repeated data cost nothing, a run costs up to a millisecond: ranges that
  // cannot give the count are given up after a bounded number of each.
  const long draws = 1000L + 200L * request.count;
  const std::size_t runs = 200 + 10 * static_cast<std::size_t>(request.count);
  for (long draw = 0;
       draw < draws && tried.size() < runs && static_cast<int>(task.variants.size()) < request.count;
       ++draw) {
    std::vector<std::string> data;
    for (const DrawnField& field : task.fields) {
      const std::optional<std::string> value = DrawValue(field, random);
      if (!value) break;
      data.push_back(*value);
    }
    if (data.size() != task.fields.size() || !tried.insert(data).second) continue;
    RunResult run = RunOf(source, data);
    if (!run.taken || (interiorWanted && !run.interior)) continue;
    std::vector<std::string> answers = Values(run.answers);
    if (answerSets.count(answers)) continue;
    std::optional<StudyQuestion> asked;
    if (study) {
      asked = AskStudy(source, *study, data, interiorWanted);
      if (!asked) continue;
    }
    answerSets.insert(std::move(answers));
    Variant variant;
    variant.number = static_cast<int>(task.variants.size()) + 1;
    variant.data = std::move(data);
    variant.answers = std::move(run.answers);
    variant.exact = std::move(run.exact);
    variant.study = std::move(asked);
    task.variants.push_back(std::move(variant));
  }
  if (static_cast<int>(task.variants.size()) < request.count)
    throw NotEnoughVariantsError(
        TaskName(task.code, task.statement) + ": из заданных диапазонов получено только " +
        std::to_string(task.variants.size()) + " различных вариантов из " + std::to_string(request.count) +
        (study ? " (с оптимумом внутри перебора и разными ответами, в том числе при измененном значении " +
                     study->name + ")"
               : std::string(" (с оптимумом внутри перебора и разными ответами)")) +
        "; расширьте диапазоны или уменьшите число вариантов");
  return task;
}

}  // namespace

std::uint64_t SplitMix64::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

std::uint64_t SplitMix64::Below(std::uint64_t bound) {
  // Numbers below 2^64 mod bound would come up once more often than others.
  const std::uint64_t threshold = (0 - bound) % bound;
  for (;;) {
    const std::uint64_t r = Next();
    if (r >= threshold) return r % bound;
  }
}

std::vector<DrawnField> FieldsOf(int code, const std::string& dataFile,
                                 const std::vector<RangeSetting>& ranges) {
  if (!FindTask(code)) throw KitRequestError("Нет задачи " + std::to_string(code));
  const TTaskFieldTable table = ReadTaskFields(code, &dataFile);
  std::vector<DrawnField> fields;
  for (int j = 1; j <= SlotCount(code); ++j) {
    const TaskField& record = table[j];
    if (record.Flag <= 0)
      throw InOutError("В файле DataFile.dat у задачи " + std::to_string(code) + " не заполнено поле " +
                       std::to_string(j));
    std::vector<Decimal> offered;
    for (double v : record.Values) offered.push_back(OfferedDecimal(v));
    fields.push_back(Field(j, Trimmed(cp1251::ToUtf8(record.LabelText)), offered, ranges));
  }
  return fields;
}

bool ParseSeed(const std::string& text, std::uint64_t& seed) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  std::uint64_t value = 0;
  for (char c : text) {
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  seed = value;
  return true;
}

namespace {

// The request's task files, each once, in the order asked for, read from the
// sources. Throws KitRequestError for a name the sources lack or one that
// cannot name the kit's files, schemes::SchemeError for a fault in a file.
std::vector<std::pair<std::string, schemes::Scheme>> Schemes(const KitRequest& request,
                                                             const KitSources& sources) {
  std::vector<std::pair<std::string, schemes::Scheme>> schemes;
  for (const std::string& fileName : request.schemes) {
    const std::string stem = SchemeStem(fileName);
    if (stem.empty())
      throw KitRequestError("Имя файла задачи «" + fileName +
                            "» не годится: нужно ИМЯ.toml, где ИМЯ не пусто, не из одних цифр и без "
                            "косой черты и управляющих символов");
    if (std::any_of(schemes.begin(), schemes.end(), [&](const auto& s) { return s.first == stem; })) continue;
    const auto text = sources.schemes.find(fileName);
    if (text == sources.schemes.end()) throw KitRequestError("Нет файла задачи «" + fileName + "»");
    schemes.emplace_back(stem, schemes::ParseScheme(text->second, fileName));
  }
  return schemes;
}

bool SchemeTakesRange(const schemes::Scheme& scheme, const RangeSetting& range) {
  const std::vector<DrawnField> fields = SchemeFields(scheme, {});
  return std::any_of(fields.begin(), fields.end(),
                     [&](const DrawnField& field) { return Matches(range, field); });
}

}  // namespace

std::string SchemeStem(const std::string& fileName) {
  if (fileName.size() <= 5) return "";
  std::string suffix = fileName.substr(fileName.size() - 5);
  for (char& c : suffix)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  if (suffix != ".toml") return "";
  const std::string stem = fileName.substr(0, fileName.size() - 5);
  if (stem.find_first_not_of("0123456789") == std::string::npos || stem[0] == '.') return "";
  for (unsigned char c : stem)
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return "";
  return stem;
}

void CheckKitRequest(const KitRequest& request, const KitSources& sources) {
  if (request.count < 1 || request.count > kMaxCount)
    throw KitRequestError("Число вариантов должно быть от 1 до " + std::to_string(kMaxCount));
  if (request.codes.empty() && request.schemes.empty()) throw KitRequestError("Не выбрано ни одной задачи");
  CheckTolerance(request.tolerance);
  const std::vector<int> codes = SortedUnique(request.codes);
  for (int code : codes)
    if (!FindTask(code)) throw KitRequestError("Нет задачи " + std::to_string(code));
  const auto schemes = Schemes(request, sources);
  // A range that no chosen task's field takes is a mistake the teacher would
  // not notice in the output.
  for (const RangeSetting& range : request.ranges)
    if (std::none_of(codes.begin(), codes.end(),
                     [&](int code) { return TakesRange(code, sources.dataFile, range); }) &&
        std::none_of(schemes.begin(), schemes.end(),
                     [&](const auto& s) { return SchemeTakesRange(s.second, range); }))
      throw KitRequestError("Ни у одной из выбранных задач нет поля «" + range.field + "»");
  if (request.study) {
    CheckStudyFactor(request.study->factor);
    if (std::none_of(codes.begin(), codes.end(),
                     [&](int code) {
                       return BuiltInStudyField(code, sources.dataFile, *request.study).has_value();
                     }) &&
        std::none_of(schemes.begin(), schemes.end(),
                     [&](const auto& s) { return SchemeStudyField(s.second, *request.study).has_value(); }))
      throw KitRequestError("Вопрос об исследовании: ни у одной из выбранных задач нет поля «" +
                            request.study->field + "»");
  }
}

bool TakesRange(int code, const std::string& dataFile, const RangeSetting& range) {
  const std::vector<DrawnField> fields = FieldsOf(code, dataFile, {});
  return std::any_of(fields.begin(), fields.end(),
                     [&](const DrawnField& field) { return Matches(range, field); });
}

std::vector<TaskVariants> DrawVariants(const KitRequest& request, const KitSources& sources) {
  CheckKitRequest(request, sources);
  std::vector<TaskVariants> tasks;
  for (int code : SortedUnique(request.codes)) {
    TaskVariants task;
    task.code = code;
    const auto statement = sources.statements.find(code);
    if (statement != sources.statements.end()) task.statement = statement->second;
    task.fields = FieldsOf(code, sources.dataFile, request.ranges);
    const std::optional<StudyField> study =
        request.study ? BuiltInStudyField(code, sources.dataFile, *request.study) : std::nullopt;
    tasks.push_back(DrawTask({code, nullptr, sources.dataFile}, std::move(task), request, study));
  }
  for (const auto& [stem, scheme] : Schemes(request, sources)) {
    TaskVariants task;
    task.name = stem;
    task.statement = SchemeStatement(scheme);
    task.fields = SchemeFields(scheme, request.ranges);
    const std::optional<StudyField> study =
        request.study ? SchemeStudyField(scheme, *request.study) : std::nullopt;
    tasks.push_back(DrawTask({0, &scheme, ""}, std::move(task), request, study));
  }
  return tasks;
}

void CheckTolerance(const std::string& relative) {
  if (relative.empty()) return;
  // A teacher accepts answers off by a share of the value, at most a half
  // (more would take 0 for any answer) and no finer than a millionth (finer
  // is the half unit of the printed digit anyway); a text beyond the number
  // syntax is refused by the same words.
  Decimal d;
  double value = 0;
  if (!ParseTypedDecimal(relative, value, d) || d.negative || Compare(d, Decimal{false, "5", -1}) > 0 ||
      (!d.IsZero() && d.LastPlace() < -kMaxToleranceDecimals))
    throw KitRequestError("Допуск «" + relative +
                          "» должен быть числом от 0 до 0,5 (доля значения) с не более чем " +
                          std::to_string(kMaxToleranceDecimals) + " знаками после запятой");
}

void CheckStudyFactor(const std::string& factor) {
  Decimal d, one, most;
  double value = 0;
  ParseDecimal("1", one);
  ParseDecimal(kMaxFactor, most);
  if (!ParseTypedDecimal(factor, value, d) || d.negative || d.IsZero() || Compare(d, one) == 0 ||
      Compare(d, most) > 0 || d.LastPlace() < -kMaxFactorDecimals)
    throw KitRequestError("Вопрос об исследовании: множитель «" + factor +
                          "» должен быть числом больше 0, не равным 1, не больше " + std::string(kMaxFactor) +
                          " и с не более чем " + std::to_string(kMaxFactorDecimals) +
                          " знаками после запятой");
}

namespace {

// A number in a sentence, with the decimal comma.
std::string CommaText(const Decimal& d) {
  std::string text = PlainText(d);
  const std::size_t point = text.find('.');
  if (point != std::string::npos) text[point] = ',';
  return text;
}

// "раз" or "раза" after the count `n` (a whole number) or a fraction.
std::string Times(const Decimal& n) {
  if (n.LastPlace() < 0) return "раза";
  const std::string digits = PlainText(n);
  const int last = digits.back() - '0';
  const int tens = digits.size() > 1 ? digits[digits.size() - 2] - '0' : 0;
  return tens != 1 && last >= 2 && last <= 4 ? "раза" : "раз";
}

// What is done to the field, as the verb and how much: {"увеличить",
// "вдвое"}, {"уменьшить", "в 4 раза"}, or {"умножить", "на 0,7"} where the
// reciprocal of a factor below 1 has no short decimal.
std::pair<std::string, std::string> FactorWords(const Decimal& factor) {
  Decimal one;
  ParseDecimal("1", one);
  const auto amount = [](const Decimal& n) {
    const std::string text = PlainText(n);
    if (text == "2") return std::string("вдвое");
    if (text == "3") return std::string("втрое");
    return "в " + CommaText(n) + " " + Times(n);
  };
  if (Compare(factor, one) > 0) return {"увеличить", amount(factor)};
  // A factor below 1 as a division: its digits D times 10^e have the
  // reciprocal 10^-e / D, a decimal when D is 2^a 5^b (then 10^max(a, b) / D
  // is whole), and a short one at most six decimals long: 0.5 is 2, 0.8 is
  // 1.25, 0.7 is none.
  std::uint64_t d = 0;
  for (char c : factor.digits) d = d * 10 + static_cast<std::uint64_t>(c - '0');
  int twos = 0, fives = 0;
  std::uint64_t rest = d;
  for (; rest % 2 == 0; rest /= 2) ++twos;
  for (; rest % 5 == 0; rest /= 5) ++fives;
  const int k = std::max(twos, fives);
  if (rest == 1 && k <= 18) {
    const Decimal reciprocal = FromUnits(Power10(k) / d, -factor.exponent - k);
    if (reciprocal.LastPlace() >= -kMaxFactorDecimals) return {"уменьшить", amount(reciprocal)};
  }
  return {"умножить", "на " + CommaText(factor)};
}

// "максимальный выход" of "Максимальный выход": the first letter in lower
// case, as the middle of a sentence takes it.
std::string LowerFirst(const std::string& text) {
  std::size_t pos = 0;
  const char32_t first = cp1251::NextCodePoint(text, pos);
  if (first < 0x410 || first > 0x42F) return text;
  std::string out;
  cp1251::AppendUtf8(out, first + 0x20);
  return out + text.substr(pos);
}

bool EndsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string StudyQuestionText(const OptimumQuantity& maximum, const std::string& field,
                              const std::string& factor, const std::string& value) {
  const std::string asked = maximum.question.empty() ? maximum.label : maximum.question;
  // "Каким станет" agrees with the quantity's first word.
  const std::string word = asked.substr(0, asked.find(' '));
  const std::string which = EndsWith(word, "ая")   ? "Какой станет "
                            : EndsWith(word, "ые") ? "Какими станут "
                                                   : "Каким станет ";
  const auto [verb, amount] = FactorWords(FactorOf(factor));
  Decimal changed;
  ParseDecimal(value, changed);
  return which + LowerFirst(asked) + ", если " + verb + " " + field + " " + amount + " (" + field + " = " +
         CommaText(changed) + ")?";
}

namespace {

// The place of the last digit printed in `value`: -3 for "0.250", 5 for
// "1.0005E9" (a task file's answer beyond 1e5).
int LastPrintedPlace(const std::string& value) {
  const std::size_t e = value.find_first_of("Ee");
  const std::string mantissa = value.substr(0, e);
  const std::size_t point = mantissa.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(mantissa.size() - point - 1);
  const int exponent = e == std::string::npos ? 0 : std::atoi(value.c_str() + e + 1);
  return exponent - decimals;
}

// `value` with `decimals` decimals, rounded to nearest.
Decimal DecimalOf(double value, int decimals) {
  char buf[400];
  Decimal d;
  ParseDecimal(std::string(buf, FixedDigits(buf, sizeof buf, value, decimals)), d);
  return d;
}

}  // namespace

Acceptance AcceptanceOf(const std::string& value, const std::optional<double>& exact,
                        const std::string& relative) {
  Acceptance acceptance;
  acceptance.tolerance = ToleranceOf(value, relative);
  Decimal key, tolerance;
  ParseDecimal(value, key);
  ParseDecimal(acceptance.tolerance, tolerance);
  Decimal low = Subtract(key, tolerance), high = Add(key, tolerance);
  if (exact && std::isfinite(*exact)) {
    // The exact value at three digits finer than printed, and one unit of
    // that digit further out, so that the range holds it whatever the rounding.
    const int place = LastPrintedPlace(value) - 3;
    const Decimal unit = FromDigits("1", place);
    const Decimal e = DecimalOf(*exact, -place);
    const Decimal exactLow = Subtract(Subtract(e, unit), tolerance);
    const Decimal exactHigh = Add(Add(e, unit), tolerance);
    // Only an exact value beyond the printed one's tolerance widens it.
    if (Compare(Abs(Subtract(e, key)), tolerance) > 0) {
      acceptance.widened = true;
      if (Compare(exactLow, low) < 0) low = exactLow;
      if (Compare(exactHigh, high) > 0) high = exactHigh;
    }
  }
  acceptance.low = PlainText(low);
  acceptance.high = PlainText(high);
  return acceptance;
}

std::string ToleranceOf(const std::string& value, const std::string& relative) {
  CheckTolerance(relative);
  const Decimal half = HalfUnit(LastPrintedPlace(value));
  if (relative.empty()) return PlainText(half);
  Decimal key, rel;
  ParseDecimal(value, key);
  ParseDecimal(relative, rel);
  const Decimal scaled = Multiply(Abs(key), rel);
  return PlainText(Compare(scaled, half) > 0 ? scaled : half);
}

namespace {

std::vector<CheckedAnswer> Checked(const std::vector<OptimumQuantity>& answers,
                                   const std::vector<std::optional<double>>& exact,
                                   const std::vector<std::string>& typed, const std::string& tolerance,
                                   bool reveal) {
  std::vector<CheckedAnswer> checked;
  for (std::size_t i = 0; i < answers.size(); ++i) {
    CheckedAnswer answer;
    answer.label = answers[i].label;
    answer.question = answers[i].question;
    const Acceptance accepted =
        AcceptanceOf(answers[i].value, i < exact.size() ? exact[i] : std::nullopt, tolerance);
    double number = 0;
    Decimal given, low, high;
    const std::string text = i < typed.size() ? typed[i] : "";
    answer.number = ParseTypedDecimal(text, number, given);
    if (answer.number) {
      ParseDecimal(accepted.low, low);
      ParseDecimal(accepted.high, high);
      answer.right = Compare(given, low) >= 0 && Compare(given, high) <= 0;
    }
    if (reveal) {
      answer.value = answers[i].value;
      answer.tolerance = accepted.tolerance;
      if (accepted.widened) {
        answer.low = accepted.low;
        answer.high = accepted.high;
      }
    }
    checked.push_back(std::move(answer));
  }
  return checked;
}

}  // namespace

namespace {

// The answers with the study question's answer after them, as one more
// quantity asked by its own question.
void AddStudy(const TaskSource& source, const std::optional<StudyField>& field,
              const std::vector<std::string>& data, std::vector<OptimumQuantity>& answers,
              std::vector<std::optional<double>>& exact) {
  const std::optional<StudyQuestion> study = AskStudy(source, *field, data, false);
  if (!study)
    throw KitRequestError("Вопрос об исследовании: задача не решается при измененном значении " +
                          field->name);
  exact.resize(answers.size());
  OptimumQuantity asked = study->answer;
  asked.label = study->heading;
  asked.question = study->question;
  answers.push_back(std::move(asked));
  exact.push_back(study->exact);
}

std::optional<StudyField> CheckedStudyField(std::optional<StudyField> field, const StudySetting& study) {
  CheckStudyFactor(study.factor);
  if (!field) throw KitRequestError("Вопрос об исследовании: у задачи нет поля «" + study.field + "»");
  return field;
}

}  // namespace

std::vector<CheckedAnswer> CheckAnswers(int code, const std::vector<std::string>& data,
                                        const std::vector<std::string>& typed, const std::string& tolerance,
                                        bool reveal, const std::optional<StudySetting>& study,
                                        const std::string& dataFile) {
  if (!FindTask(code)) throw KitRequestError("Нет задачи " + std::to_string(code));
  if (static_cast<int>(data.size()) != SlotCount(code))
    throw KitRequestError("Задаче " + std::to_string(code) + " нужно " + std::to_string(SlotCount(code)) +
                          " значений исходных данных, а дано " + std::to_string(data.size()));
  CheckTolerance(tolerance);
  TaskRequest request;
  request.code = code;
  request.data = DataSource::None;
  for (std::size_t j = 0; j < data.size(); ++j) {
    double value = 0;
    if (!ParseTypedNumber(data[j], value))
      throw KitRequestError("Значение P" + std::to_string(j + 1) + " «" + data[j] + "» — не число");
    request.values.push_back(value);
  }
  const TaskResult run = RunTaskRequest(request);
  if (!run.refusal.empty()) throw InvalidDataError(InvalidDataError::Message{}, run.refusal);
  std::vector<double> values;
  for (const std::optional<double>& v : request.values) values.push_back(*v);
  std::vector<OptimumQuantity> answers = run.answers;
  std::vector<std::optional<double>> exact = ExactOf(code, values, run.answers);
  if (study)
    AddStudy({code, nullptr, dataFile}, CheckedStudyField(BuiltInStudyField(code, dataFile, *study), *study),
             data, answers, exact);
  return Checked(answers, exact, typed, tolerance, reveal);
}

std::vector<CheckedAnswer> CheckSchemeAnswers(const std::string& schemeText, const std::string& fileName,
                                              const std::vector<std::string>& data,
                                              const std::vector<std::string>& typed,
                                              const std::string& tolerance, bool reveal,
                                              const std::optional<StudySetting>& study) {
  const schemes::Scheme scheme = schemes::ParseScheme(schemeText, fileName);
  if (data.size() != scheme.parameters.size())
    throw KitRequestError("Задаче из файла " + fileName + " нужно " +
                          std::to_string(scheme.parameters.size()) + " значений исходных данных, а дано " +
                          std::to_string(data.size()));
  CheckTolerance(tolerance);
  std::vector<double> values;
  for (std::size_t j = 0; j < data.size(); ++j) {
    double value = 0;
    if (!ParseTypedNumber(data[j], value))
      throw KitRequestError("Значение P" + std::to_string(j + 1) + " «" + data[j] + "» — не число");
    values.push_back(value);
  }
  const schemes::SchemeRun run = schemes::RunScheme(scheme, values);
  std::vector<OptimumQuantity> answers = SchemeQuantities(scheme, run);
  std::vector<std::optional<double>> exact(answers.size());
  if (study)
    AddStudy({0, &scheme, ""}, CheckedStudyField(SchemeStudyField(scheme, *study), *study), data, answers,
             exact);
  return Checked(answers, exact, typed, tolerance, reveal);
}

}  // namespace teaching
