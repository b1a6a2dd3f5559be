// The engine's parameter studies: a request as JSON in, the plan or a run of
// some of its points as JSON out, so that the page can draw a study as its
// points come.
//
// Request: {"code": 101 | "scheme": text, "name": file name, "values":
// [text | null], "parameter": label, symbol or number, "low", "high" (numbers
// or texts), "count", "log"}.

#include <new>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "WebEngine.h"
#include "initial_data/TaskData.h"
#include "teaching/Study.h"

#if defined(__EMSCRIPTEN__)
#include <emscripten/emscripten.h>
#define REACTOPT_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE
#else
#define REACTOPT_EXPORT extern "C"
#endif

using nlohmann::json;

namespace {

// A request's error, in the page's words.
struct RequestError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

double Number(const json& request, const char* key) {
  const json& v = request.at(key);
  if (v.is_number()) return v.get<double>();
  double value = 0;
  if (v.is_string() && ParseTypedNumber(v.get<std::string>(), value)) return value;
  throw RequestError(std::string(key == std::string("low") ? "Нижняя" : "Верхняя") + " граница диапазона «" +
                     (v.is_string() ? v.get<std::string>() : v.dump()) + "» — не число");
}

teaching::StudyRequest RequestOf(const std::string& text) {
  const json request = json::parse(text);
  teaching::StudyRequest study;
  if (request.contains("scheme")) {
    study.scheme = request.at("scheme").get<std::string>();
    study.schemeName = request.value("name", std::string("task.toml"));
  } else {
    study.code = request.at("code").get<int>();
    study.dataFile = EngineDataFile();
  }
  int field = 0;
  for (const json& v : request.value("values", json::array())) {
    ++field;
    double value = 0;
    if (v.is_null() || (v.is_string() && v.get<std::string>().find_first_not_of(' ') == std::string::npos))
      study.values.emplace_back();
    else if (v.is_number())
      study.values.emplace_back(v.get<double>());
    else if (v.is_string() && ParseTypedNumber(v.get<std::string>(), value))
      study.values.emplace_back(value);
    else
      throw RequestError("Значение поля " + std::to_string(field) + " «" +
                         (v.is_string() ? v.get<std::string>() : v.dump()) + "» — не число");
  }
  const json& parameter = request.at("parameter");
  study.parameter =
      parameter.is_number() ? std::to_string(parameter.get<int>()) : parameter.get<std::string>();
  study.low = Number(request, "low");
  study.high = Number(request, "high");
  study.count = request.value("count", 11);
  study.logarithmic = request.value("log", false);
  return study;
}

// The last plan, kept for the runs of its points: a page asks for a study
// in parts, and planning again for each would run the task once more.
struct Planned {
  std::string request;
  teaching::Study study;
};
std::optional<Planned> last;

const teaching::Study& PlanOf(const std::string& text, const teaching::StudyRequest& request) {
  if (!last || last->request != text) {
    last.reset();
    last = Planned{text, teaching::PlanStudy(request)};
  }
  return last->study;
}

// `answer()` as JSON text, or {"error": why} when it throws.
template <typename Answer>
const char* Answered(Answer answer) {
  static std::string text;
  try {
    text = answer().dump(-1, ' ', false, json::error_handler_t::replace);
  } catch (const std::bad_alloc&) {
    text = json{{"error", "Недостаточно памяти"}}.dump();
  } catch (const json::exception&) {
    text = json{{"error", "Запрос исследования не разобран"}}.dump();
  } catch (const std::exception& e) {
    text = json{{"error", e.what()}}.dump();
  }
  return text.c_str();
}

}  // namespace

// The plan of a study: {slot, label, key, current, labels, questions,
// conversionAnswer, maximumAnswer, values} or {error}.
REACTOPT_EXPORT const char* reactopt_study_plan(const char* requestJson) {
  return Answered([&] {
    const std::string text = requestJson;
    const teaching::Study& study = PlanOf(text, RequestOf(text));
    json values = json::array();
    for (const teaching::StudyPoint& point : study.points) values.push_back(point.value);
    return json{{"slot", study.slot},
                {"label", study.parameterLabel},
                {"key", study.parameterKey},
                {"current", study.current},
                {"labels", study.labels},
                {"questions", study.questions},
                {"conversionAnswer", study.conversionAnswer},
                {"maximumAnswer", study.maximumAnswer},
                {"values", values}};
  });
}

// Points [first, last) of the study: {points: [{value, ran, refusal,
// conversion, answers}]} or {error}.
REACTOPT_EXPORT const char* reactopt_study_points(const char* requestJson, int first, int end) {
  return Answered([&] {
    const std::string text = requestJson;
    const teaching::StudyRequest request = RequestOf(text);
    teaching::Study study = PlanOf(text, request);
    const std::size_t from = first > 0 ? static_cast<std::size_t>(first) : 0;
    const std::size_t to = std::min(end > 0 ? static_cast<std::size_t>(end) : 0, study.points.size());
    teaching::RunStudyPoints(request, study, from, to);
    json points = json::array();
    for (std::size_t i = from; i < to; ++i) {
      const teaching::StudyPoint& p = study.points[i];
      points.push_back({{"value", p.value},
                        {"ran", p.ran},
                        {"refusal", p.refusal},
                        {"conversion", p.conversion},
                        {"answers", p.answers}});
    }
    return json{{"points", points}};
  });
}
