#include "Study.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "initial_data/TaskData.h"
#include "schemes/Scheme.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"

namespace teaching {

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A field as the study names it.
struct Field {
  std::string label, key;
  double value = 0;  // the value the request gives it
};

// What a study runs on: a built-in task's fields or a task file read once.
struct Subject {
  std::vector<Field> fields;
  std::vector<double> values;  // every field's value, in field order
  std::optional<schemes::Scheme> scheme;
};

// The symbol a built-in field's label gives ("k1" of "Конст. k1, 1/с", "V"
// of "Объем V, м3"): the last word before the first comma, when it reads as
// a symbol; "P<slot>" where labels give none or the same twice, as the
// page's links name them.
bool IsSymbol(const std::string& text) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (text.empty() || !letter(text[0])) return false;
  for (char c : text)
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '(' && c != ')' && c != '+' && c != '-') return false;
  return true;
}

void KeysFromLabels(std::vector<Field>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::string head = Trimmed(fields[i].label.substr(0, fields[i].label.find(',')));
    const std::size_t blank = head.find_last_of(' ');
    if (blank != std::string::npos) head = head.substr(blank + 1);
    fields[i].key = IsSymbol(head) ? head : "P" + std::to_string(i + 1);
  }
  for (std::size_t i = 0; i < fields.size(); ++i) {
    bool twice = false;
    for (std::size_t j = 0; j < fields.size(); ++j)
      twice = twice || (j != i && fields[j].key == fields[i].key);
    if (twice) fields[i].key = "P" + std::to_string(i + 1);
  }
}

Subject BuiltInSubject(const StudyRequest& request) {
  if (!FindTask(request.code)) throw StudyError("Нет задачи " + std::to_string(request.code));
  const int count = SlotCount(request.code);
  if (request.values.size() > static_cast<std::size_t>(count))
    throw StudyError("Задача " + std::to_string(request.code) + " принимает " + std::to_string(count) +
                     " значений исходных данных, а дано " + std::to_string(request.values.size()));
  const TTaskFieldTable table = ReadTaskFields(request.code, &request.dataFile);
  Subject subject;
  for (int j = 1; j <= count; ++j) {
    const TaskField& record = table[j];
    Field field;
    field.label = Trimmed(cp1251::ToUtf8(record.LabelText));
    const std::size_t i = static_cast<std::size_t>(j - 1);
    if (i < request.values.size() && request.values[i])
      field.value = *request.values[i];
    else  // as the data fields store the first offered value untouched
      field.value = RunTimeRealValue(record.Flag > 0 ? OfferedValueText(record.Values[0])
                                                     : "ComboBox" + std::to_string(j));
    subject.values.push_back(field.value);
    subject.fields.push_back(std::move(field));
  }
  KeysFromLabels(subject.fields);
  return subject;
}

Subject SchemeSubject(const StudyRequest& request) {
  Subject subject;
  subject.scheme = schemes::ParseScheme(request.scheme, request.schemeName);
  const std::vector<schemes::Parameter>& parameters = subject.scheme->parameters;
  if (request.values.size() > parameters.size())
    throw StudyError("Задача " + request.schemeName + " принимает " + std::to_string(parameters.size()) +
                     " значений исходных данных, а дано " + std::to_string(request.values.size()));
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    Field field;
    field.label = parameters[i].label;
    field.key = parameters[i].name;
    field.value =
        i < request.values.size() && request.values[i] ? *request.values[i] : parameters[i].offered[0];
    subject.values.push_back(field.value);
    subject.fields.push_back(std::move(field));
  }
  return subject;
}

Subject SubjectOf(const StudyRequest& request) {
  return request.code == 0 ? SchemeSubject(request) : BuiltInSubject(request);
}

// The field `name` gives: its number, its symbol or its label (blanks around
// each ignored); 0 when none.
int SlotOf(const Subject& subject, const std::string& name) {
  const std::string wanted = Trimmed(name);
  const int count = static_cast<int>(subject.fields.size());
  if (!wanted.empty() && wanted.size() <= 2 && wanted.find_first_not_of("0123456789") == std::string::npos) {
    const int slot = std::stoi(wanted);
    return slot >= 1 && slot <= count ? slot : 0;
  }
  for (int j = 1; j <= count; ++j)
    if (subject.fields[static_cast<std::size_t>(j - 1)].key == wanted) return j;
  for (int j = 1; j <= count; ++j)
    if (subject.fields[static_cast<std::size_t>(j - 1)].label == wanted) return j;
  return 0;
}

// `v` to 15 significant digits: the steps of a range land on the decimals a
// student would type (0.15, not 0.15000000000000002), and a single run of
// that text gives the very point.
double Tidy(double v) {
  if (v == 0 || !std::isfinite(v)) return v;
  const int lead = static_cast<int>(std::floor(std::log10(std::fabs(v))));
  const int decimals = std::clamp(14 - lead, 0, 20);
  char buf[kFixedBufferSize];
  FixedDigits(buf, sizeof buf, v, decimals);
  double tidy = v;
  return ParseRealNumber(buf, tidy) && tidy != 0 ? tidy : v;
}

std::vector<double> Spacing(const StudyRequest& request) {
  const int n = request.count;
  std::vector<double> values(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double share = static_cast<double>(i) / (n - 1);
    const double v =
        request.logarithmic
            ? std::exp(std::log(request.low) + share * (std::log(request.high) - std::log(request.low)))
            : request.low + share * (request.high - request.low);
    values[static_cast<std::size_t>(i)] = Tidy(v);
  }
  values.front() = request.low;
  values.back() = request.high;
  return values;
}

void CheckRange(const StudyRequest& request, const std::string& label) {
  if (request.count < kStudyMinPoints || request.count > kStudyMaxPoints)
    throw StudyError("Число точек должно быть от " + std::to_string(kStudyMinPoints) + " до " +
                     std::to_string(kStudyMaxPoints) + ", а задано " + std::to_string(request.count));
  const std::string where = "Диапазон поля «" + label + "»: ";
  if (!std::isfinite(request.low) || !std::isfinite(request.high))
    throw StudyError(where + "границы должны быть конечными числами");
  if (request.low < 0)
    throw StudyError(where + "нижняя граница " + ShortestText(request.low) + " отрицательна");
  if (!(request.low < request.high))
    throw StudyError(where + "нижняя граница " + ShortestText(request.low) + " должна быть меньше верхней " +
                     ShortestText(request.high));
  if (request.logarithmic && request.low <= 0)
    throw StudyError(where + "на логарифмической шкале нижняя граница должна быть больше нуля");
}

// One run's outcome, as a study keeps it.
struct Outcome {
  bool ran = false;
  std::string refusal;
  double conversion = 0;
  std::vector<std::string> labels, questions, values;
  int maximum = -1;
};

Outcome RunBuiltIn(const StudyRequest& request, const std::vector<double>& values) {
  TaskRequest task;
  task.code = request.code;
  task.values.assign(values.begin(), values.end());
  // Every value is given, so the run needs no data file; only a refusal
  // reads it again, to name the field as the data file labels it.
  task.data = DataSource::None;
  TaskResult run = RunTaskRequest(task);
  Outcome outcome;
  if (!run.ran) {
    if (!run.refusal.empty()) {
      task.data = DataSource::Bytes;
      task.dataFile = request.dataFile;
      run = RunTaskRequest(task);
    }
    outcome.refusal = run.refusal.empty() ? "задача не дала результата" : run.refusal;
    return outcome;
  }
  outcome.ran = true;
  outcome.conversion = run.optimumConversion;
  for (const OptimumQuantity& q : run.answers) {
    if (q.maximum && outcome.maximum < 0) outcome.maximum = static_cast<int>(outcome.labels.size());
    outcome.labels.push_back(q.label);
    outcome.questions.push_back(q.question);
    outcome.values.push_back(q.value);
  }
  return outcome;
}

Outcome RunOfScheme(const schemes::Scheme& scheme, const std::vector<double>& values) {
  Outcome outcome;
  try {
    const schemes::SchemeRun run = schemes::RunScheme(scheme, values);
    outcome.ran = true;
    outcome.conversion = run.optimumConversion;
    for (const schemes::SchemeAnswer& a : run.answers) {
      if (a.maximum && outcome.maximum < 0) outcome.maximum = static_cast<int>(outcome.labels.size());
      outcome.labels.push_back(a.label);
      outcome.questions.push_back("");
      outcome.values.push_back(a.value);
    }
  } catch (const InvalidDataError& e) {
    outcome.refusal = e.what();
  } catch (const NumericalError& e) {
    outcome.refusal = e.what();
  }
  return outcome;
}

Outcome RunAt(const StudyRequest& request, const Subject& subject, const std::vector<double>& values) {
  return subject.scheme ? RunOfScheme(*subject.scheme, values) : RunBuiltIn(request, values);
}

std::vector<double> ValuesAt(const Subject& subject, int slot, double value) {
  std::vector<double> values = subject.values;
  values[static_cast<std::size_t>(slot - 1)] = value;
  return values;
}

void TakeLabels(Study& study, const Outcome& outcome) {
  study.labels = outcome.labels;
  study.questions = outcome.questions;
  study.maximumAnswer = outcome.maximum;
  study.conversionAnswer = -1;
  // The conversion is the first answer named X... that is not the maximum
  // (Xa, XA, Xaopt, Xopt; Xr is a yield).
  for (std::size_t i = 0; i < study.labels.size() && study.conversionAnswer < 0; ++i)
    if (static_cast<int>(i) != study.maximumAnswer && !study.labels[i].empty() && study.labels[i][0] == 'X')
      study.conversionAnswer = static_cast<int>(i);
}

// The outcome's answers in the study's label order: by position where the
// run states the same labels, by label otherwise.
std::vector<std::string> AnswersInOrder(const Study& study, const Outcome& outcome) {
  if (outcome.labels == study.labels) return outcome.values;
  std::vector<std::string> answers(study.labels.size());
  std::vector<bool> used(outcome.labels.size(), false);
  for (std::size_t i = 0; i < study.labels.size(); ++i)
    for (std::size_t k = 0; k < outcome.labels.size(); ++k)
      if (!used[k] && outcome.labels[k] == study.labels[i]) {
        answers[i] = outcome.values[k];
        used[k] = true;
        break;
      }
  return answers;
}

}  // namespace

Study PlanStudy(const StudyRequest& request) {
  const Subject subject = SubjectOf(request);
  Study study;
  study.slot = SlotOf(subject, request.parameter);
  if (study.slot == 0)
    throw StudyError("Нет поля «" + Trimmed(request.parameter) +
                     "»: укажите подпись поля, его обозначение или номер от 1 до " +
                     std::to_string(subject.fields.size()));
  const Field& field = subject.fields[static_cast<std::size_t>(study.slot - 1)];
  study.parameterLabel = field.label;
  study.parameterKey = field.key;
  study.current = field.value;
  CheckRange(request, field.label);
  for (double v : Spacing(request)) {
    StudyPoint point;
    point.value = v;
    study.points.push_back(std::move(point));
  }
  Outcome labels = RunAt(request, subject, subject.values);
  for (std::size_t i = 0; !labels.ran && i < study.points.size(); ++i)
    labels = RunAt(request, subject, ValuesAt(subject, study.slot, study.points[i].value));
  TakeLabels(study, labels);
  return study;
}

void RunStudyPoints(const StudyRequest& request, Study& study, std::size_t first, std::size_t last) {
  last = std::min(last, study.points.size());
  if (first >= last) return;
  const Subject subject = SubjectOf(request);
  for (std::size_t i = first; i < last; ++i) {
    StudyPoint& point = study.points[i];
    const Outcome outcome = RunAt(request, subject, ValuesAt(subject, study.slot, point.value));
    point.ran = outcome.ran;
    point.refusal = outcome.refusal;
    point.conversion = outcome.conversion;
    point.answers.clear();
    if (!outcome.ran) continue;
    if (study.labels.empty()) TakeLabels(study, outcome);
    point.answers = AnswersInOrder(study, outcome);
  }
}

Study RunStudy(const StudyRequest& request) {
  Study study = PlanStudy(request);
  RunStudyPoints(request, study, 0, study.points.size());
  return study;
}

std::string StudyCsv(const Study& study) {
  std::string csv = CsvField(study.parameterKey);
  for (const std::string& label : study.labels) csv += ',' + CsvField(label);
  csv += '\n';
  for (const StudyPoint& point : study.points) {
    csv += ShortestText(point.value);
    for (std::size_t i = 0; i < study.labels.size(); ++i)
      csv += ',' + (point.ran && i < point.answers.size() ? CsvField(point.answers[i]) : std::string());
    csv += '\n';
  }
  return csv;
}

}  // namespace teaching
