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

#include "initial_data/TaskData.h"
#include "teaching/Study.h"
#include "web/WebEngine.h"

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
    study.dataFile = engine.dataFile;
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

const teaching::Study& PlanOf(const std::string& text, const teaching::StudyRequest& request) {
  if (!engine.study || engine.study->first != text) {
    engine.study.reset();
    engine.study.emplace(text, teaching::PlanStudy(request));
  }
  return engine.study->second;
}

// `answer()` as JSON text, or {"error": why} when it throws, the reason also
// kept for reactopt_error as the other entry points keep theirs.
template <typename Answer>
const char* Answered(Answer answer) {
  std::string& text = engine.reply;
  std::string why;
  try {
    text = answer().dump(-1, ' ', false, json::error_handler_t::replace);
    return text.c_str();
  } catch (const std::bad_alloc&) {
    why = "Недостаточно памяти";
  } catch (const json::exception&) {
    why = "Запрос исследования не разобран";
  } catch (const std::exception& e) {
    why = e.what();
  }
  engine.message = why;
  text = json{{"error", why}}.dump(-1, ' ', false, json::error_handler_t::replace);
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
