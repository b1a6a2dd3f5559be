// The browser edition's engine: the desktop core behind a few C functions that
// the page calls. A run goes through the same steps as reactopt-batch (task
// code, parameter slots, RunCurrentTask, the report bytes, the chart buffers),
// so the page shows the very report and points the desktop program makes.
//
// Text crosses the boundary as UTF-8, NUL-terminated; the report stays in
// Windows-1251 bytes, as it is saved.

#include "web/WebEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/TaskIdentity.h"
#include "initial_data/TaskData.h"
#include "schemes/Scheme.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"
#include "teaching/Exact.h"
#include "teaching/KitFiles.h"
#include "teaching/Variants.h"

namespace {

// There is no file system in the page: "DataFile.dat" is handed over once as
// bytes and read from memory whenever a task is prepared. What the engine
// keeps between calls, all of it here.
struct EngineState {
  std::string dataFile;
  std::string message;  // the last error, UTF-8
  std::string fieldsJson;
  TaskResult run;         // the last run that ran; a refused one leaves it
  std::string exactLine;  // the answer of reactopt_exact
  double chartPoints[3 * kChartSize] = {};
  std::string chartCsv;
} engine;

void AppendJsonString(std::string& out, std::string_view utf8) {
  out += '"';
  for (char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

// The comma before an array's item, unless it is the first.
void NextItem(std::string& json) {
  if (json.back() != '[') json += ',';
}

bool IsTaskCode(int code) { return FindTask(code) != nullptr; }

// What an entry point answers: `answer()`, or, when it throws, nothing (a
// null text, a 0) with the reason kept for reactopt_error.
template <typename Answer>
auto Guarded(Answer answer) -> decltype(answer()) {
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

}  // namespace

const std::string& EngineDataFile() { return engine.dataFile; }
void SetEngineError(const std::string& message) { engine.message = message; }

// Gives the engine the bytes of "DataFile.dat". Returns a buffer of `size`
// bytes for the caller to fill.
REACTOPT_EXPORT char* reactopt_data_file_buffer(int size) {
  engine.dataFile.assign(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  return engine.dataFile.data();
}

REACTOPT_EXPORT const char* reactopt_error() { return engine.message.c_str(); }

// The codes of the table of tasks, as JSON: [101,102,...].
REACTOPT_EXPORT const char* reactopt_task_codes() {
  static std::string json;
  json = "[";
  for (const TaskEntry& task : AllTasks()) {
    NextItem(json);
    json += std::to_string(task.code);
  }
  json += "]";
  return json.c_str();
}

// The fields of a task as the data dialog shows them, as JSON:
// {"slots":k,"fields":[{"slot":j,"label":"...","values":["  1.00000",...]}]},
// every record in use, in slot order. Null on an error (see reactopt_error).
REACTOPT_EXPORT const char* reactopt_task_fields(int code) {
  return Guarded([&] {
    if (!IsTaskCode(code)) throw std::runtime_error("Нет задачи " + std::to_string(code));
    if (engine.dataFile.empty()) throw FileNotFound();
    const TTaskFieldTable table = ReadTaskFields(code, &engine.dataFile);
    std::string json = "{\"slots\":" + std::to_string(SlotCount(code)) + ",\"fields\":[";
    for (int j = 1; j <= 10; ++j) {
      const TaskField& field = table[j];
      if (field.Flag <= 0) continue;
      NextItem(json);
      json += "{\"slot\":" + std::to_string(j) + ",\"label\":";
      AppendJsonString(json, cp1251::ToUtf8(field.LabelText));
      json += ",\"values\":[";
      for (int v = 0; v < 3; ++v) {
        NextItem(json);
        AppendJsonString(json, OfferedValueText(field.Values[v]));
      }
      json += "]}";
    }
    json += "]}";
    engine.fieldsJson = std::move(json);
    return engine.fieldsJson.c_str();
  });
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
    if (!IsTaskCode(code)) throw std::runtime_error("Нет задачи " + std::to_string(code));
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
REACTOPT_EXPORT const char* reactopt_optimum() {
  static std::string json;
  json = "{\"quantities\":[";
  for (const OptimumQuantity& q : engine.run.answers) {
    NextItem(json);
    json += "{\"label\":";
    AppendJsonString(json, q.label);
    json += ",\"question\":";
    AppendJsonString(json, q.question);
    json += ",\"value\":";
    AppendJsonString(json, q.value);
    json += ",\"text\":";
    AppendJsonString(json, q.line);
    json += q.maximum ? ",\"maximum\":true}" : ",\"maximum\":false}";
  }
  json += "],\"conversion\":" + ShortestText(engine.run.optimumConversion) + "}";
  return json.c_str();
}

// The exact optimum of task `code` with the values of reactopt_run, as the
// line "Точное решение: CRmax = 0.3679 при Xa = 0.6321"; empty where no task
// file states the task or it cannot be had. Asked apart from the run, which
// it would slow by a run of the task file and one of the task.
REACTOPT_EXPORT const char* reactopt_exact(int code, const double* values, int count, int given) {
  engine.exactLine.clear();
  try {
    if (!IsTaskCode(code) || count < 0 || count > 10) return engine.exactLine.c_str();
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

REACTOPT_EXPORT const char* reactopt_report_data() { return engine.run.report.data(); }
REACTOPT_EXPORT int reactopt_report_size() { return static_cast<int>(engine.run.report.size()); }
// The chart of the last run: points 0 to reactopt_chart_last(), each three
// doubles (x, y1, y2) in reactopt_chart_points().
REACTOPT_EXPORT int reactopt_chart_last() { return static_cast<int>(engine.run.chart.size()) - 1; }
REACTOPT_EXPORT const double* reactopt_chart_points() { return engine.chartPoints; }

// The chart points of the last run as CSV, the very bytes of
// "reactopt-batch --chart": a header, then k,x,y1,y2 with 17 digits.
REACTOPT_EXPORT const char* reactopt_chart_csv() { return engine.chartCsv.c_str(); }

// The teacher's kit, the students' self-check and the shipped examples are in
// WebKit.cpp.

// ---------------------------------------------------------------------------
// Task files: a scheme in the TOML task language, run by the engine of
// schemes. The page hands over the file's text with each call, so nothing of
// one file outlives its call but the last run's results below.

namespace {

std::string schemeJson;
schemes::SchemeRun schemeRun;
std::string schemeChartCsv, schemeAnswersCsv;

void AppendJsonNumber(std::string& json, double v) {
  char buf[64];
  json.append(buf, General17(buf, sizeof buf, v));
}

}  // namespace

// The scheme of a task file as JSON: {"title", "statement", "reactor",
// "species", "fields": [{"name", "label", "offered": [3 numbers]}]}; or,
// for a file it refuses, {"error": text, "line": n, "column": n}.
REACTOPT_EXPORT const char* reactopt_scheme_parse(const char* utf8, const char* fileName) {
  try {
    const schemes::Scheme s = schemes::ParseScheme(utf8, fileName);
    schemeJson = "{\"title\":";
    AppendJsonString(schemeJson, s.title);
    schemeJson += ",\"statement\":";
    AppendJsonString(schemeJson, s.statement);
    schemeJson += std::string(",\"reactor\":\"") +
                  (s.reactor == schemes::Reactor::PlugFlow ? "plug-flow" : "stirred-tank") +
                  "\",\"species\":[";
    for (const std::string& name : s.species) {
      NextItem(schemeJson);
      AppendJsonString(schemeJson, name);
    }
    schemeJson += "],\"fields\":[";
    for (const schemes::Parameter& p : s.parameters) {
      NextItem(schemeJson);
      schemeJson += "{\"name\":";
      AppendJsonString(schemeJson, p.name);
      schemeJson += ",\"label\":";
      AppendJsonString(schemeJson, p.label);
      schemeJson += ",\"offered\":[";
      for (double v : p.offered) {
        NextItem(schemeJson);
        AppendJsonNumber(schemeJson, v);
      }
      schemeJson += "]}";
    }
    schemeJson += "]}";
  } catch (const schemes::SchemeError& e) {
    schemeJson = "{\"error\":";
    AppendJsonString(schemeJson, e.what());
    schemeJson += ",\"line\":" + std::to_string(e.line) + ",\"column\":" + std::to_string(e.column) + "}";
  }
  return schemeJson.c_str();
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
    schemeRun = schemes::RunScheme(s, schemes::ValuesWithDefaults(s, given));
    schemeChartCsv = schemes::SchemeChartCsv(schemeRun);
    schemeAnswersCsv = schemes::SchemeAnswersCsv(schemeRun);
    return 1;
  });
}

// The last scheme run: its report (Windows-1251 bytes), its chart and
// answers as the CSV of reactopt-batch --chart and --answer.
REACTOPT_EXPORT const char* reactopt_scheme_report_data() { return schemeRun.report.data(); }
REACTOPT_EXPORT int reactopt_scheme_report_size() { return static_cast<int>(schemeRun.report.size()); }
REACTOPT_EXPORT const char* reactopt_scheme_chart_csv() { return schemeChartCsv.c_str(); }
REACTOPT_EXPORT const char* reactopt_scheme_answers_csv() { return schemeAnswersCsv.c_str(); }
