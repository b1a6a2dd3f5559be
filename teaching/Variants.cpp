#include "Variants.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/TaskIdentity.h"
#include "base/Text.h"
#include "initial_data/TaskData.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"

namespace teaching {

namespace {

// A class asks for dozens of variants; the cap keeps a mistyped count from
// running for hours.
constexpr int kMaxCount = 1000;
constexpr int kMaxDigits = 3;
constexpr int kMaxToleranceDecimals = 6;

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
};

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

RunResult RunWith(int code, const std::vector<std::string>& data) {
  std::vector<double> values;
  for (const std::string& text : data) {
    double value = 0;
    if (!ParseTypedNumber(text, value)) return {};
    values.push_back(value);
  }
  return RunSet(code, values, "");
}

std::vector<std::string> Values(const std::vector<OptimumQuantity>& answers) {
  std::vector<std::string> values;
  for (const OptimumQuantity& q : answers) values.push_back(q.value);
  return values;
}

// "Задача 101 (Последовательные реакции ...)": the code and the statement's
// second line, its title.
std::string TaskName(int code, const std::string& statement) {
  const std::string name = "Задача " + std::to_string(code);
  const std::string title = StatementTitle(statement);
  return title.empty() ? name : name + " «" + title + "»";
}

TaskVariants DrawTask(int code, const KitRequest& request, const KitSources& sources) {
  TaskVariants task;
  task.code = code;
  const auto statement = sources.statements.find(code);
  if (statement != sources.statements.end()) task.statement = statement->second;
  task.fields = FieldsOf(code, sources.dataFile, request.ranges);

  // The default data: those the data dialog stores untouched.
  const RunResult defaults = RunSet(code, {}, sources.dataFile);
  const bool interiorWanted = defaults.taken && defaults.interior;

  SplitMix64 random(request.seed + static_cast<std::uint64_t>(code) * 0x9E3779B97F4A7C15ULL);
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
    RunResult run = RunWith(code, data);
    if (!run.taken || (interiorWanted && !run.interior)) continue;
    if (!answerSets.insert(Values(run.answers)).second) continue;
    Variant variant;
    variant.number = static_cast<int>(task.variants.size()) + 1;
    variant.data = std::move(data);
    variant.answers = std::move(run.answers);
    task.variants.push_back(std::move(variant));
  }
  if (static_cast<int>(task.variants.size()) < request.count)
    throw NotEnoughVariantsError(
        TaskName(code, task.statement) + ": из заданных диапазонов получено только " +
        std::to_string(task.variants.size()) + " различных вариантов из " + std::to_string(request.count) +
        " (с оптимумом внутри перебора и разными ответами); расширьте диапазоны "
        "или уменьшите число вариантов");
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
    DrawnField field;
    field.slot = j;
    field.label = Trimmed(cp1251::ToUtf8(record.LabelText));
    std::vector<Decimal> offered;
    for (double v : record.Values) offered.push_back(OfferedDecimal(v));
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
    fields.push_back(std::move(field));
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

void CheckKitRequest(const KitRequest& request, const KitSources& sources) {
  if (request.count < 1 || request.count > kMaxCount)
    throw KitRequestError("Число вариантов должно быть от 1 до " + std::to_string(kMaxCount));
  if (request.codes.empty()) throw KitRequestError("Не выбрано ни одной задачи");
  CheckTolerance(request.tolerance);
  const std::vector<int> codes = SortedUnique(request.codes);
  for (int code : codes)
    if (!FindTask(code)) throw KitRequestError("Нет задачи " + std::to_string(code));
  // A range that no chosen task's field takes is a mistake the teacher would
  // not notice in the output.
  for (const RangeSetting& range : request.ranges)
    if (std::none_of(codes.begin(), codes.end(),
                     [&](int code) { return TakesRange(code, sources.dataFile, range); }))
      throw KitRequestError("Ни у одной из выбранных задач нет поля «" + range.field + "»");
}

bool TakesRange(int code, const std::string& dataFile, const RangeSetting& range) {
  const std::vector<DrawnField> fields = FieldsOf(code, dataFile, {});
  return std::any_of(fields.begin(), fields.end(),
                     [&](const DrawnField& field) { return Matches(range, field); });
}

std::vector<TaskVariants> DrawVariants(const KitRequest& request, const KitSources& sources) {
  CheckKitRequest(request, sources);
  std::vector<TaskVariants> tasks;
  for (int code : SortedUnique(request.codes)) tasks.push_back(DrawTask(code, request, sources));
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

std::string ToleranceOf(const std::string& value, const std::string& relative) {
  CheckTolerance(relative);
  const std::size_t point = value.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(value.size() - point - 1);
  const Decimal half = HalfUnit(-decimals);
  if (relative.empty()) return PlainText(half);
  Decimal key, rel;
  ParseDecimal(value, key);
  ParseDecimal(relative, rel);
  const Decimal scaled = Multiply(Abs(key), rel);
  return PlainText(Compare(scaled, half) > 0 ? scaled : half);
}

std::vector<CheckedAnswer> CheckAnswers(int code, const std::vector<std::string>& data,
                                        const std::vector<std::string>& typed, const std::string& tolerance,
                                        bool reveal) {
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
  std::vector<CheckedAnswer> checked;
  const std::vector<OptimumQuantity>& answers = run.answers;
  for (std::size_t i = 0; i < answers.size(); ++i) {
    CheckedAnswer answer;
    answer.label = answers[i].label;
    answer.question = answers[i].question;
    const std::string limit = ToleranceOf(answers[i].value, tolerance);
    double number = 0;
    Decimal given, key, allowed;
    const std::string text = i < typed.size() ? typed[i] : "";
    answer.number = ParseTypedDecimal(text, number, given);
    if (answer.number) {
      ParseDecimal(answers[i].value, key);
      ParseDecimal(limit, allowed);
      answer.right = Compare(Abs(Subtract(given, key)), allowed) <= 0;
    }
    if (reveal) {
      answer.value = answers[i].value;
      answer.tolerance = limit;
    }
    checked.push_back(std::move(answer));
  }
  return checked;
}

}  // namespace teaching
