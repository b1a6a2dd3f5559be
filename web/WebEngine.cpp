// The browser edition's engine: the desktop core behind a few C functions that
// the page calls. A run goes through the core's one entry point, so the page
// shows the very report and points the desktop program makes.
//
// Text crosses the boundary as UTF-8, NUL-terminated; the report stays in
// Windows-1251 bytes, as it is saved. Requests and answers that have a shape
// are JSON. Each entry point is one small function: read its arguments, ask
// the core, answer through Reply or a field of the state below.

#include "web/WebEngine.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <new>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/TaskIdentity.h"
#include "base/Text.h"
#include "initial_data/TaskData.h"
#include "schemes/Scheme.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"
#include "teaching/Exact.h"
#include "teaching/Variants.h"

EngineState engine;

namespace {

// Answers keep their members in the order written, as the page reads them.
using OrderedJson = nlohmann::ordered_json;

// The answer's text, kept until the next call. A byte that is no UTF-8 is
// written as U+FFFD, as the page would decode it anyway.
const char* Reply(const OrderedJson& answer) {
  engine.reply = answer.dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
  return engine.reply.c_str();
}

// What an entry point answers: `answer()`, or, when it throws, nothing (a
// null text, a 0) with the reason kept for reactopt_error.
template <typename Call>
auto Guarded(Call answer) -> decltype(answer()) {
  try {
    return answer();
  } catch (const std::bad_alloc&) {
    engine.message = "Недостаточно памяти";
    return {};
  } catch (const std::exception& e) {
    engine.message = e.what();
    return {};
  }
}

void CheckTaskCode(int code) {
  if (FindTask(code) == nullptr) throw std::runtime_error("Нет задачи " + std::to_string(code));
}

// ---- Writing an answer -----------------------------------------------------

OrderedJson TaskFieldsOf(int code) {
  const TTaskFieldTable table = ReadTaskFields(code, &engine.dataFile);
  OrderedJson fields = OrderedJson::array();
  for (int j = 1; j <= 10; ++j) {
    const TaskField& field = table[j];
    if (field.Flag <= 0) continue;
    OrderedJson values = OrderedJson::array();
    for (int v = 0; v < 3; ++v) values.push_back(OfferedValueText(field.Values[v]));
    fields.push_back(
        {{"slot", j}, {"label", cp1251::ToUtf8(field.LabelText)}, {"values", std::move(values)}});
  }
  return {{"slots", SlotCount(code)}, {"fields", std::move(fields)}};
}

OrderedJson OptimumOf(const TaskResult& run) {
  OrderedJson quantities = OrderedJson::array();
  for (const OptimumQuantity& q : run.answers)
    quantities.push_back({{"label", q.label},
                          {"question", q.question},
                          {"value", q.value},
                          {"text", q.line},
                          {"maximum", q.maximum}});
  return {{"quantities", std::move(quantities)}, {"conversion", run.optimumConversion}};
}

OrderedJson SchemeOf(const schemes::Scheme& s) {
  OrderedJson fields = OrderedJson::array();
  for (const schemes::Parameter& p : s.parameters)
    fields.push_back({{"name", p.name}, {"label", p.label}, {"offered", p.offered}});
  return {{"title", s.title},
          {"statement", s.statement},
          {"reactor", s.reactor == schemes::Reactor::PlugFlow ? "plug-flow" : "stirred-tank"},
          {"species", s.species},
          {"fields", std::move(fields)}};
}

}  // namespace

// ---- Reading a request (for every source of the engine) ---------------------

// A request's text as JSON. Nesting deeper than any request has is refused,
// like text that is no JSON, by the byte where it goes wrong.
Json ParseRequest(const char* text) {
  constexpr int kDeepest = 16;
  const auto notTooDeep = [](int depth, Json::parse_event_t, Json&) {
    if (depth > kDeepest)
      throw teaching::KitRequestError("Запрос не в формате JSON (слишком глубокая вложенность)");
    return true;
  };
  try {
    return Json::parse(text, notTooDeep);
  } catch (const Json::parse_error& e) {
    throw teaching::KitRequestError("Запрос не в формате JSON (символ " + std::to_string(e.byte) + ")");
  }
}

// A member of an object; null when it is missing or `v` is no object.
const Json& Member(const Json& v, const char* key) {
  static const Json none;
  if (!v.is_object()) return none;
  const auto it = v.find(key);
  return it == v.end() ? none : *it;
}

// The items of an array; none when `v` is no array.
const Json& Items(const Json& v) {
  static const Json none = Json::array();
  return v.is_array() ? v : none;
}

bool Flag(const Json& v) { return v.is_boolean() && v.get<bool>(); }

// A number or a string holding one, as its text; anything else is empty.
std::string TextOf(const Json& v) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_number_unsigned()) return std::to_string(v.get<std::uint64_t>());
  if (v.is_number_integer()) return std::to_string(v.get<std::int64_t>());
  if (v.is_number_float()) return v.dump();
  return "";
}

int WholeNumber(const Json& v, const char* what) {
  const std::string text = TextOf(v);
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
    throw teaching::KitRequestError(std::string("В запросе нет целого числа ") + what);
  return std::stoi(text);
}

std::uint64_t Seed(const Json& v) {
  if (v.is_null()) return 1;
  const std::string text = TextOf(v);
  std::uint64_t seed = 0;
  if (!teaching::ParseSeed(text, seed))
    throw teaching::KitRequestError("Зерно должно быть целым числом от 0 до 2^64-1: " + text);
  return seed;
}

std::vector<std::string> Texts(const Json& v) {
  std::vector<std::string> texts;
  for (const Json& item : Items(v)) texts.push_back(TextOf(item));
  return texts;
}

// ---- The built-in tasks -----------------------------------------------------

// Gives the engine the bytes of "DataFile.dat". Returns a buffer of `size`
// bytes for the caller to fill.
REACTOPT_EXPORT char* reactopt_data_file_buffer(int size) {
  engine.dataFile.assign(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  return engine.dataFile.data();
}

REACTOPT_EXPORT const char* reactopt_error() { return engine.message.c_str(); }

// The codes of the table of tasks, as JSON: [101,102,...].
REACTOPT_EXPORT const char* reactopt_task_codes() {
  OrderedJson codes = OrderedJson::array();
  for (const TaskEntry& task : AllTasks()) codes.push_back(task.code);
  return Reply(codes);
}

// The fields of a task as the data dialog shows them, as JSON:
// {"slots":k,"fields":[{"slot":j,"label":"...","values":["  1.00000",...]}]},
// every record in use, in slot order. Null on an error (see reactopt_error).
REACTOPT_EXPORT const char* reactopt_task_fields(int code) {
  return Guarded([&] {
    CheckTaskCode(code);
    if (engine.dataFile.empty()) throw FileNotFound();
    return Reply(TaskFieldsOf(code));
  });
}

// The title of a task statement (UTF-8), as the kit and the desktop's lists
// name the task: its second line, trimmed.
REACTOPT_EXPORT const char* reactopt_statement_title(const char* utf8) {
  engine.reply = StatementTitle(utf8);
  return engine.reply.c_str();
}

// The number a typed text stands for, as the dialog's OK reads it: the text
// trimmed of blanks, then a complete number (decimal point or comma) or
// nothing. Returns 1 and stores the value, or 0.
REACTOPT_EXPORT int reactopt_parse_number(const char* utf8, double* value) {
  double v = 0;
  if (!ParseTypedNumber(utf8, v)) return 0;
  *value = v;
  return 1;
}

// Runs task `code` with `count` values in slot order; bit j-1 of `given` says
// that slot j was given. The slots a task reads that are not given take what
// the data dialog stores untouched. Returns 1 when the solver ran, 0 on an
// error (see reactopt_error); an error leaves the last report and chart.
REACTOPT_EXPORT int reactopt_run(int code, const double* values, int count, int given) {
  return Guarded([&] {
    CheckTaskCode(code);
    if (count < 0 || count > 10) throw std::runtime_error("Не более 10 значений P1 ... P10");
    TaskRequest request;
    request.code = code;
    for (int j = 1; j <= count; ++j)
      request.values.push_back(given & (1 << (j - 1)) ? std::optional<double>(values[j - 1]) : std::nullopt);
    if (engine.dataFile.empty()) {
      // Every slot the task reads must be given when there are no defaults.
      for (int j = 1; j <= SlotCount(code); ++j)
        if (j > count || !(given & (1 << (j - 1)))) throw FileNotFound();
      request.data = DataSource::None;
    } else {
      request.data = DataSource::Bytes;
      request.dataFile = engine.dataFile;
    }
    TaskResult run = RunTaskRequest(request);
    if (!run.refusal.empty()) throw std::runtime_error(run.refusal);
    if (!run.ran) throw std::runtime_error("Нет задачи " + std::to_string(code));
    engine.run = std::move(run);
    engine.chartCsv = ChartCsv(engine.run.chart);
    for (std::size_t i = 0; i < engine.run.chart.size(); ++i) {
      engine.chartPoints[3 * i] = engine.run.chart[i].x;
      engine.chartPoints[3 * i + 1] = engine.run.chart[i].y1;
      engine.chartPoints[3 * i + 2] = engine.run.chart[i].y2;
    }
    return 1;
  });
}

// The optimum of the last run as its report states it, as JSON:
// {"quantities":[{"label":"CRmax","question":"...","value":"0.250","text":"...","maximum":true}],
//  "conversion":0.5}; "question" asks for the quantity as the teacher's sheets
// do, "maximum" marks the value the sweep maximised.
REACTOPT_EXPORT const char* reactopt_optimum() { return Reply(OptimumOf(engine.run)); }

REACTOPT_EXPORT const char* reactopt_report_data() { return engine.run.report.data(); }
REACTOPT_EXPORT int reactopt_report_size() { return static_cast<int>(engine.run.report.size()); }
// The chart of the last run: points 0 to reactopt_chart_last(), each three
// doubles (x, y1, y2) in reactopt_chart_points().
REACTOPT_EXPORT int reactopt_chart_last() { return static_cast<int>(engine.run.chart.size()) - 1; }
REACTOPT_EXPORT const double* reactopt_chart_points() { return engine.chartPoints; }

// The chart points of the last run as CSV, the very bytes of
// "reactopt-batch --chart": a header, then k,x,y1,y2 with 17 digits.
REACTOPT_EXPORT const char* reactopt_chart_csv() { return engine.chartCsv.c_str(); }

// The exact optimum of task `code` with the values of reactopt_run, as the
// line "Точное решение: CRmax = 0.3679 при Xa = 0.6321"; empty where no task
// file states the task or it cannot be had. Asked apart from the run, which
// it would slow by a run of the task file and one of the task.
REACTOPT_EXPORT const char* reactopt_exact(int code, const double* values, int count, int given) {
  engine.exactLine.clear();
  try {
    if (FindTask(code) == nullptr || count < 0 || count > 10) return engine.exactLine.c_str();
    TaskRequest request;
    request.code = code;
    std::vector<double> asRun;
    const TTaskFieldTable fields =
        engine.dataFile.empty() ? TTaskFieldTable{} : ReadTaskFields(code, &engine.dataFile);
    for (int j = 1; j <= SlotCount(code); ++j) {
      const bool typed = j <= count && (given & (1 << (j - 1)));
      if (!typed && engine.dataFile.empty()) return engine.exactLine.c_str();
      asRun.push_back(typed ? values[j - 1] : fields[j].Values[0]);
    }
    request.values.assign(asRun.begin(), asRun.end());
    request.data = DataSource::None;
    const TaskResult run = RunTaskRequest(request);
    if (run.ran) engine.exactLine = teaching::ExactLine(code, asRun, run.answers);
  } catch (const std::exception&) {
    // no line, the run itself says what is wrong
  }
  return engine.exactLine.c_str();
}

// The teacher's kit, the students' self-check and the shipped examples are in
// WebKit.cpp; the parameter studies in WebStudy.cpp.

// ---- Task files ---------------------------------------------------------------
// A scheme in the TOML task language, run by the engine of schemes. The page
// hands over the file's text with each call, so nothing of one file outlives
// its call but the last run's results.

// The scheme of a task file as JSON: {"title", "statement", "reactor",
// "species", "fields": [{"name", "label", "offered": [3 numbers]}]}; or,
// for a file it refuses, {"error": text, "line": n, "column": n}.
REACTOPT_EXPORT const char* reactopt_scheme_parse(const char* utf8, const char* fileName) {
  return Guarded([&] {
    try {
      return Reply(SchemeOf(schemes::ParseScheme(utf8, fileName)));
    } catch (const schemes::SchemeError& e) {
      return Reply({{"error", e.what()}, {"line", e.line}, {"column", e.column}});
    }
  });
}

// Runs a task file with its first `count` values given, the rest the first
// offered. 1 when it ran; 0 with the reason for reactopt_error (a refused
// file or data, in the words of reactopt-batch).
REACTOPT_EXPORT int reactopt_scheme_run(const char* utf8, const char* fileName, const double* values,
                                        int count) {
  return Guarded([&] {
    const schemes::Scheme s = schemes::ParseScheme(utf8, fileName);
    if (count < 0 || static_cast<std::size_t>(count) > s.parameters.size())
      throw std::runtime_error(std::string(fileName) + " takes " + std::to_string(s.parameters.size()) +
                               " values, " + std::to_string(count) + " given");
    const std::vector<double> given(values, values + count);
    engine.schemeRun = schemes::RunScheme(s, schemes::ValuesWithDefaults(s, given));
    engine.schemeChartCsv = schemes::SchemeChartCsv(engine.schemeRun);
    engine.schemeAnswersCsv = schemes::SchemeAnswersCsv(engine.schemeRun);
    return 1;
  });
}

// The last scheme run: its report (Windows-1251 bytes), its chart and
// answers as the CSV of reactopt-batch --chart and --answer.
REACTOPT_EXPORT const char* reactopt_scheme_report_data() { return engine.schemeRun.report.data(); }
REACTOPT_EXPORT int reactopt_scheme_report_size() { return static_cast<int>(engine.schemeRun.report.size()); }
REACTOPT_EXPORT const char* reactopt_scheme_chart_csv() { return engine.schemeChartCsv.c_str(); }
REACTOPT_EXPORT const char* reactopt_scheme_answers_csv() { return engine.schemeAnswersCsv.c_str(); }
