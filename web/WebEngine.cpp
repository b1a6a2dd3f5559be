// The browser edition's engine: the desktop core behind a few C functions that
// the page calls. A run goes through the same steps as reactopt-batch (task
// code, parameter slots, RunCurrentTask, the report bytes, the chart buffers),
// so the page shows the very report and points the desktop program makes.
//
// Text crosses the boundary as UTF-8, NUL-terminated; the report stays in
// Windows-1251 bytes, as it is saved.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/TaskIdentity.h"
#include "initial_data/TaskData.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"

#if defined(__EMSCRIPTEN__)
#include <emscripten/emscripten.h>
#define REACTOPT_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE
#else
#define REACTOPT_EXPORT extern "C"
#endif

namespace {

// There is no file system in the page: "DataFile.dat" is handed over once as
// bytes and read from memory whenever a task is prepared.
std::string dataFile;
std::string message;  // the last error, UTF-8
std::string fieldsJson;
double chartPoints[3 * kChartSize];
int chartLast = -1;

void ReadTaskBlock(int code) {
  TaskCode = code;
  if (dataFile.empty()) throw FileNotFound();
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
      fmemopen(const_cast<char*>(dataFile.data()), dataFile.size(), "rb"), std::fclose);
  if (!file) throw IoError(2);
  ReadTaskData(file.get());
}

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

bool IsTaskCode(int code) { return FindTask(code) != nullptr; }

}  // namespace

// Gives the engine the bytes of "DataFile.dat". Returns a buffer of `size`
// bytes for the caller to fill.
REACTOPT_EXPORT char* reactopt_data_file_buffer(int size) {
  dataFile.assign(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  return dataFile.data();
}

REACTOPT_EXPORT const char* reactopt_error() { return message.c_str(); }

// The codes of the table of tasks, as JSON: [101,102,...].
REACTOPT_EXPORT const char* reactopt_task_codes() {
  static std::string json;
  json = "[";
  for (const TaskEntry& task : AllTasks()) json += (json.size() > 1 ? "," : "") + std::to_string(task.code);
  json += "]";
  return json.c_str();
}

// The fields of a task as the data dialog shows them, as JSON:
// {"slots":k,"fields":[{"slot":j,"label":"...","values":["  1.00000",...]}]},
// every record in use, in slot order. Null on an error (see reactopt_error).
REACTOPT_EXPORT const char* reactopt_task_fields(int code) {
  try {
    if (!IsTaskCode(code)) throw std::runtime_error("Нет задачи " + std::to_string(code));
    ReadTaskBlock(code);
    std::string json = "{\"slots\":" + std::to_string(SlotCount(code)) + ",\"fields\":[";
    bool first = true;
    for (int j = 1; j <= 10; ++j) {
      const TaskField& field = TaskFieldTable[j];
      if (field.Flag <= 0) continue;
      if (!first) json += ',';
      first = false;
      json += "{\"slot\":" + std::to_string(j) + ",\"label\":";
      AppendJsonString(json, cp1251::ToUtf8(field.LabelText));
      json += ",\"values\":[";
      for (int v = 0; v < 3; ++v) {
        if (v > 0) json += ',';
        AppendJsonString(json, OfferedValueText(field.Values[v]));
      }
      json += "]}";
    }
    json += "]}";
    fieldsJson = std::move(json);
    return fieldsJson.c_str();
  } catch (const std::exception& e) {
    message = e.what();
    return nullptr;
  }
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
  try {
    if (!IsTaskCode(code)) throw std::runtime_error("Нет задачи " + std::to_string(code));
    if (count < 0 || count > 10) throw std::runtime_error("Не более 10 значений P1 ... P10");
    const int k = SlotCount(code);
    bool needDefaults = false;
    for (int j = 1; j <= k; ++j)
      if (j > count || !(given & (1 << (j - 1)))) needDefaults = true;
    if (needDefaults) ReadTaskBlock(code);
    TaskCode = code;
    for (int j = 1; j <= 10; ++j) {
      if (j <= count && (given & (1 << (j - 1))))
        TaskParams.Slot(j) = values[j - 1];
      else if (j <= k)
        TaskParams.Slot(j) = DefaultSlotValue(j);
    }
    ReportFile.KeepInMemory(true);
    RunCurrentTask();
    if (!RunSucceeded) throw std::runtime_error("Нет задачи " + std::to_string(code));
    chartLast = PrepareChartPointCount(code);
    for (int i = 0; i < kChartSize; ++i) {
      chartPoints[3 * i] = ChartX[i];
      chartPoints[3 * i + 1] = ChartY1[i];
      chartPoints[3 * i + 2] = ChartY2[i];
    }
    return 1;
  } catch (const std::exception& e) {
    message = e.what();
    return 0;
  }
}

// The optimum of the last run as its report states it, as JSON:
// {"quantities":[{"label":"CRmax","value":"0.250","text":"...","maximum":true}],
//  "conversion":0.5}; "maximum" marks the value the sweep maximised.
REACTOPT_EXPORT const char* reactopt_optimum() {
  static std::string json;
  json = "{\"quantities\":[";
  bool first = true;
  for (const OptimumQuantity& q : ReportFile.Answers()) {
    if (!first) json += ',';
    first = false;
    json += "{\"label\":";
    AppendJsonString(json, q.label);
    json += ",\"value\":";
    AppendJsonString(json, q.value);
    json += ",\"text\":";
    AppendJsonString(json, q.line);
    json += q.maximum ? ",\"maximum\":true}" : ",\"maximum\":false}";
  }
  json += "],\"conversion\":" + ShortestText(ReportFile.OptimumConversion()) + "}";
  return json.c_str();
}

REACTOPT_EXPORT const char* reactopt_report_data() { return ReportFile.Bytes().data(); }
REACTOPT_EXPORT int reactopt_report_size() { return static_cast<int>(ReportFile.Bytes().size()); }
// The chart of the last run: points 0 to reactopt_chart_last(), each three
// doubles (x, y1, y2) in reactopt_chart_points().
REACTOPT_EXPORT int reactopt_chart_last() { return chartLast; }
REACTOPT_EXPORT const double* reactopt_chart_points() { return chartPoints; }

// The chart points of the last run as CSV, the very bytes of
// "reactopt-batch --chart": a header, then k,x,y1,y2 with 17 digits.
REACTOPT_EXPORT const char* reactopt_chart_csv() {
  static std::string csv;
  csv = "k,x,y1,y2\n";
  char buf[64];
  for (int k = 0; k <= chartLast; ++k) {
    csv += std::to_string(k);
    for (int c = 0; c < 3; ++c) {
      csv += ',';
      csv.append(buf, General17(buf, sizeof buf, chartPoints[3 * k + c]));
    }
    csv += '\n';
  }
  return csv.c_str();
}
