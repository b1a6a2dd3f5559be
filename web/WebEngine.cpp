// The browser edition's engine: the desktop core behind a few C functions that
// the page calls. A run goes through the same steps as reactopt-batch (task
// code, parameter slots, RunCurrentTask, the report bytes, the chart buffers),
// so the page shows the very report and points the desktop program makes.
//
// Text crosses the boundary as UTF-8, NUL-terminated; the report stays in
// Windows-1251 bytes, as it is saved.

#include "WebEngine.h"

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
#include "teaching/KitFiles.h"
#include "teaching/Variants.h"

#if defined(__EMSCRIPTEN__)
#include <emscripten/emscripten.h>
#define REACTOPT_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE
#else
#define REACTOPT_EXPORT extern "C"
#endif

namespace {

// There is no file system in the page: "DataFile.dat" is handed over once as
// bytes and read from memory whenever a task is prepared. What the engine
// keeps between calls, all of it here.
struct EngineState {
  std::string dataFile;
  std::string message;  // the last error, UTF-8
  std::string fieldsJson;
  TaskResult run;  // the last run that ran; a refused one leaves it
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

REACTOPT_EXPORT const char* reactopt_report_data() { return engine.run.report.data(); }
REACTOPT_EXPORT int reactopt_report_size() { return static_cast<int>(engine.run.report.size()); }
// The chart of the last run: points 0 to reactopt_chart_last(), each three
// doubles (x, y1, y2) in reactopt_chart_points().
REACTOPT_EXPORT int reactopt_chart_last() { return static_cast<int>(engine.run.chart.size()) - 1; }
REACTOPT_EXPORT const double* reactopt_chart_points() { return engine.chartPoints; }

// The chart points of the last run as CSV, the very bytes of
// "reactopt-batch --chart": a header, then k,x,y1,y2 with 17 digits.
REACTOPT_EXPORT const char* reactopt_chart_csv() { return engine.chartCsv.c_str(); }

// ---------------------------------------------------------------------------
// The teacher's kit and the students' self-check. The page only passes the
// request in and offers the files; the core draws, rounds and compares.

namespace {

// Just enough JSON for the requests: objects, arrays, strings, numbers kept
// as their text, true, false and null.
struct Json {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  bool flag = false;
  std::string text;  // a string's value or a number's digits
  std::vector<Json> items;
  std::map<std::string, Json> members;

  const Json& operator[](const std::string& key) const {
    static const Json none;
    const auto it = members.find(key);
    return it == members.end() ? none : it->second;
  }
};

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}
  Json Document() {
    Json value = Value(0);
    Blanks();
    if (pos_ != text_.size()) Fail();
    return value;
  }

 private:
  [[noreturn]] void Fail() const {
    throw teaching::KitRequestError("Запрос не в формате JSON (символ " + std::to_string(pos_ + 1) + ")");
  }
  void Blanks() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
      ++pos_;
  }
  bool Take(char c) {
    Blanks();
    if (pos_ < text_.size() && text_[pos_] == c) return ++pos_, true;
    return false;
  }
  bool Word(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }
  unsigned Hex4() {
    if (pos_ + 4 > text_.size()) Fail();
    unsigned v = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[pos_++];
      v = v * 16 + (c >= '0' && c <= '9'   ? unsigned(c - '0')
                    : c >= 'a' && c <= 'f' ? unsigned(c - 'a' + 10)
                    : c >= 'A' && c <= 'F' ? unsigned(c - 'A' + 10)
                                           : (Fail(), 0u));
    }
    return v;
  }
  std::string StringBody() {
    std::string out;
    for (;;) {
      if (pos_ >= text_.size()) Fail();
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) Fail();
      const char e = text_[pos_++];
      switch (e) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
          char32_t cp = Hex4();
          if (cp >= 0xD800 && cp < 0xDC00 && Word("\\u")) {
            const unsigned low = Hex4();
            cp = low >= 0xDC00 && low < 0xE000 ? 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00) : 0xFFFD;
          } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
          }
          cp1251::AppendUtf8(out, cp);
          break;
        }
        default: out += e;
      }
    }
  }
  Json Value(int depth) {
    if (depth > 16) Fail();
    Blanks();
    Json v;
    if (Take('{')) {
      v.kind = Json::Object;
      if (Take('}')) return v;
      do {
        if (!Take('"')) Fail();
        std::string key = StringBody();
        if (!Take(':')) Fail();
        v.members[key] = Value(depth + 1);
      } while (Take(','));
      if (!Take('}')) Fail();
    } else if (Take('[')) {
      v.kind = Json::Array;
      if (Take(']')) return v;
      do v.items.push_back(Value(depth + 1));
      while (Take(','));
      if (!Take(']')) Fail();
    } else if (Take('"')) {
      v.kind = Json::String;
      v.text = StringBody();
    } else if (Word("true")) {
      v.kind = Json::Bool;
      v.flag = true;
    } else if (Word("false")) {
      v.kind = Json::Bool;
    } else if (Word("null")) {
    } else {
      const std::size_t start = pos_;
      while (pos_ < text_.size() &&
             std::string_view("+-.0123456789eE").find(text_[pos_]) != std::string_view::npos)
        ++pos_;
      if (pos_ == start) Fail();
      v.kind = Json::Number;
      v.text = std::string(text_.substr(start, pos_ - start));
    }
    return v;
  }
  std::string_view text_;
  std::size_t pos_ = 0;
};

// A number or a string holding one, as its text.
std::string TextOf(const Json& v) { return v.kind == Json::Number || v.kind == Json::String ? v.text : ""; }

int WholeNumber(const Json& v, const char* what) {
  const std::string text = TextOf(v);
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
    throw teaching::KitRequestError(std::string("В запросе нет целого числа ") + what);
  return std::stoi(text);
}

std::uint64_t Seed(const Json& v) {
  const std::string text = TextOf(v);
  if (v.kind == Json::Null) return 1;
  std::uint64_t seed = 0;
  if (!teaching::ParseSeed(text, seed))
    throw teaching::KitRequestError("Зерно должно быть целым числом от 0 до 2^64-1: " + text);
  return seed;
}

std::vector<std::string> Texts(const Json& v) {
  std::vector<std::string> texts;
  for (const Json& item : v.items) texts.push_back(TextOf(item));
  return texts;
}

std::string kitJson;

}  // namespace

// The fields whose values a kit draws for task `code`, with their default
// ranges, as JSON: [{"slot":1,"label":"...","low":"0.5","high":"2"}]. Null on
// an error (see reactopt_error).
REACTOPT_EXPORT const char* reactopt_kit_fields(int code) {
  return Guarded([&] {
    std::string json = "[";
    for (const teaching::DrawnField& field : teaching::FieldsOf(code, engine.dataFile, {})) {
      NextItem(json);
      json += "{\"slot\":" + std::to_string(field.slot) + ",\"label\":";
      AppendJsonString(json, field.label);
      json += ",\"low\":";
      AppendJsonString(json, teaching::PlainText(field.low));
      json += ",\"high\":";
      AppendJsonString(json, teaching::PlainText(field.high));
      json += '}';
    }
    kitJson = json + "]";
    return kitJson.c_str();
  });
}

namespace {

teaching::KitRequest KitRequestOf(const Json& request) {
  teaching::KitRequest kit;
  for (const Json& code : request["codes"].items) kit.codes.push_back(WholeNumber(code, "в списке задач"));
  kit.count = WholeNumber(request["count"], "вариантов");
  kit.seed = Seed(request["seed"]);
  for (const Json& range : request["ranges"].items)
    kit.ranges.push_back({TextOf(range["field"]), TextOf(range["low"]), TextOf(range["high"])});
  kit.tolerance = TextOf(request["tolerance"]);
  kit.key = request["key"].flag;
  return kit;
}

teaching::KitSources KitSourcesOf(const Json& request) {
  teaching::KitSources sources;
  sources.dataFile = engine.dataFile;
  for (const auto& [code, text] : request["statements"].members)
    if (!code.empty() && code.size() <= 3 && code.find_first_not_of("0123456789") == std::string::npos)
      sources.statements[std::stoi(code)] = text.text;
  return sources;
}

const char* FilesJson(const std::vector<teaching::KitFile>& files) {
  std::string json = "{\"files\":[";
  for (const teaching::KitFile& file : files) {
    NextItem(json);
    json += "{\"name\":";
    AppendJsonString(json, file.name);
    json += ",\"text\":";
    AppendJsonString(json, file.bytes);
    json += '}';
  }
  kitJson = json + "]}";
  return kitJson.c_str();
}

// A kit drawn one task per call, so that the page can say how far it is
// between tasks. A task's variants depend on the seed and its code alone, so
// the files are those of the whole request drawn at once.
struct KitInSteps {
  teaching::KitRequest request;
  teaching::KitSources sources;
  std::vector<teaching::TaskVariants> tasks;
};
KitInSteps kitInSteps;

}  // namespace

// The kit's files for a request given as JSON:
// {"codes":[101,...],"count":30,"seed":"1","ranges":[{"field":"1","low":"0.5","high":"2"}],
//  "tolerance":"","key":false,"statements":{"101":"Задача 101\n..."}}
// Returns {"files":[{"name":"answers-101.csv","text":"..."},...]}, the bytes
// reactopt-batch --variants writes; null on an error (see reactopt_error).
REACTOPT_EXPORT const char* reactopt_kit(const char* requestJson) {
  return Guarded([&] {
    const Json request = JsonReader(requestJson).Document();
    return FilesJson(teaching::MakeKit(KitRequestOf(request), KitSourcesOf(request)));
  });
}

// The same kit in steps: reactopt_kit_begin takes the request and returns
// the codes to draw, {"codes":[101,...]}, in order; reactopt_kit_task draws
// one of them and returns its variants' data,
// {"code":101,"fields":[{"slot":1,"label":"..."}],"variants":[{"number":1,"data":["1","0.5"]}]};
// reactopt_kit_files returns the files as reactopt_kit does. Each returns
// null on an error (see reactopt_error), the kit's messages the same.
REACTOPT_EXPORT const char* reactopt_kit_begin(const char* requestJson) {
  return Guarded([&] {
    const Json request = JsonReader(requestJson).Document();
    kitInSteps = {KitRequestOf(request), KitSourcesOf(request), {}};
    teaching::CheckKitRequest(kitInSteps.request, kitInSteps.sources);
    std::vector<int> codes = kitInSteps.request.codes;
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    std::string json = "{\"codes\":[";
    for (int code : codes) json += (json.back() == '[' ? "" : ",") + std::to_string(code);
    kitJson = json + "]}";
    return kitJson.c_str();
  });
}

REACTOPT_EXPORT const char* reactopt_kit_task(int code) {
  return Guarded([&] {
    teaching::KitRequest one = kitInSteps.request;
    one.codes = {code};
    one.ranges.clear();
    for (const teaching::RangeSetting& range : kitInSteps.request.ranges)
      if (teaching::TakesRange(code, engine.dataFile, range)) one.ranges.push_back(range);
    kitInSteps.tasks.push_back(std::move(teaching::DrawVariants(one, kitInSteps.sources).front()));
    const teaching::TaskVariants& task = kitInSteps.tasks.back();
    std::string json = "{\"code\":" + std::to_string(task.code) + ",\"fields\":[";
    for (const teaching::DrawnField& field : task.fields) {
      NextItem(json);
      json += "{\"slot\":" + std::to_string(field.slot) + ",\"label\":";
      AppendJsonString(json, field.label);
      json += '}';
    }
    json += "],\"variants\":[";
    for (const teaching::Variant& variant : task.variants) {
      NextItem(json);
      json += "{\"number\":" + std::to_string(variant.number) + ",\"data\":[";
      for (const std::string& value : variant.data) {
        NextItem(json);
        AppendJsonString(json, value);
      }
      json += "]}";
    }
    kitJson = json + "]}";
    return kitJson.c_str();
  });
}

REACTOPT_EXPORT const char* reactopt_kit_files() {
  return Guarded([&] {
    std::sort(
        kitInSteps.tasks.begin(), kitInSteps.tasks.end(),
        [](const teaching::TaskVariants& a, const teaching::TaskVariants& b) { return a.code < b.code; });
    const char* json = FilesJson(teaching::KitFiles(kitInSteps.tasks, kitInSteps.request));
    kitInSteps = {};
    return json;
  });
}

// A student's answers to a variant, checked by the core:
// {"code":101,"data":["1","0.5"],"answers":["0,343","0.586","0.243"],"tolerance":"","reveal":false}
// Returns {"answers":[{"label":"CRmax","question":"...","number":true,"right":true}]}, with
// "value" and "tolerance" of each only when "reveal" is true; null on an
// error (see reactopt_error), a refusal of the data included.
REACTOPT_EXPORT const char* reactopt_check(const char* requestJson) {
  return Guarded([&] {
    const Json request = JsonReader(requestJson).Document();
    const std::vector<teaching::CheckedAnswer> checked = teaching::CheckAnswers(
        WholeNumber(request["code"], "задачи"), Texts(request["data"]), Texts(request["answers"]),
        TextOf(request["tolerance"]), request["reveal"].flag);
    std::string json = "{\"answers\":[";
    for (const teaching::CheckedAnswer& a : checked) {
      NextItem(json);
      json += "{\"label\":";
      AppendJsonString(json, a.label);
      json += ",\"question\":";
      AppendJsonString(json, a.question);
      json += std::string(",\"number\":") + (a.number ? "true" : "false") +
              ",\"right\":" + (a.right ? "true" : "false");
      if (request["reveal"].flag) {
        json += ",\"value\":";
        AppendJsonString(json, a.value);
        json += ",\"tolerance\":";
        AppendJsonString(json, a.tolerance);
      }
      json += '}';
    }
    kitJson = json + "]}";
    return kitJson.c_str();
  });
}

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
