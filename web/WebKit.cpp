// The browser engine's teacher's kit, students' self-check and shipped
// examples: JSON in, JSON out, the core drawing, rounding and comparing. The
// page only passes the request in and offers the files.

#include <algorithm>
#include <cstdint>
#include <exception>
#include <map>
#include <new>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Text.h"
#include "schemes/BuiltInTasks.h"
#include "schemes/Scheme.h"
#include "teaching/KitFiles.h"
#include "teaching/Variants.h"
#include "web/WebEngine.h"

using nlohmann::json;

namespace {

// What an entry point answers: the JSON `answer()` gives, kept until the next
// call, or, when it throws, null with the reason kept for reactopt_error.
template <typename Answer>
const char* Answered(Answer answer) {
  try {
    engine.reply = answer().dump(-1, ' ', false, json::error_handler_t::replace);
    return engine.reply.c_str();
  } catch (const std::bad_alloc&) {
    engine.message = "Недостаточно памяти";
  } catch (const json::exception&) {
    engine.message = "Запрос не в формате JSON";
  } catch (const std::exception& e) {
    engine.message = e.what();
  }
  return nullptr;
}

// The request's task files, [{"name": "dimer-tank.toml", "text": "..."}].
const json& SchemesOf(const json& request) { return Items(Member(request, "schemes")); }

// The study question, {"field": "k2", "factor": "2"} (no factor: 2), or
// nothing without one.
std::optional<teaching::StudySetting> StudyOf(const json& request) {
  const json& study = Member(request, "study");
  if (!study.is_object()) return std::nullopt;
  teaching::StudySetting setting;
  setting.field = TextOf(Member(study, "field"));
  if (!Member(study, "factor").is_null()) setting.factor = TextOf(Member(study, "factor"));
  return setting;
}

teaching::KitRequest KitRequestOf(const json& request) {
  teaching::KitRequest kit;
  for (const json& code : Items(Member(request, "codes")))
    kit.codes.push_back(WholeNumber(code, "в списке задач"));
  for (const json& scheme : SchemesOf(request)) kit.schemes.push_back(TextOf(Member(scheme, "name")));
  kit.count = WholeNumber(Member(request, "count"), "вариантов");
  kit.seed = Seed(Member(request, "seed"));
  for (const json& range : Items(Member(request, "ranges")))
    kit.ranges.push_back(
        {TextOf(Member(range, "field")), TextOf(Member(range, "low")), TextOf(Member(range, "high"))});
  kit.tolerance = TextOf(Member(request, "tolerance"));
  kit.key = Flag(Member(request, "key"));
  kit.study = StudyOf(request);
  return kit;
}

teaching::KitSources KitSourcesOf(const json& request) {
  teaching::KitSources sources;
  sources.dataFile = engine.dataFile;
  const json& statements = Member(request, "statements");
  if (statements.is_object())
    for (const auto& [code, text] : statements.items())
      if (!code.empty() && code.size() <= 3 && code.find_first_not_of("0123456789") == std::string::npos &&
          text.is_string())
        sources.statements[std::stoi(code)] = text.get<std::string>();
  for (const json& scheme : SchemesOf(request))
    sources.schemes[TextOf(Member(scheme, "name"))] = TextOf(Member(scheme, "text"));
  return sources;
}

json FilesJson(const std::vector<teaching::KitFile>& files) {
  json list = json::array();
  for (const teaching::KitFile& file : files) list.push_back({{"name", file.name}, {"text", file.bytes}});
  return {{"files", list}};
}

json FieldsJson(const std::vector<teaching::DrawnField>& fields, bool ranges) {
  json list = json::array();
  for (const teaching::DrawnField& field : fields) {
    json one = {{"slot", field.slot}, {"label", field.label}};
    if (ranges) {
      one["low"] = teaching::PlainText(field.low);
      one["high"] = teaching::PlainText(field.high);
    }
    list.push_back(one);
  }
  return list;
}

}  // namespace

// The fields whose values a kit draws for task `code`, with their default
// ranges, as JSON: [{"slot":1,"label":"...","low":"0.5","high":"2"}]. Null on
// an error (see reactopt_error).
REACTOPT_EXPORT const char* reactopt_kit_fields(int code) {
  return Answered([&] { return FieldsJson(teaching::FieldsOf(code, engine.dataFile, {}), true); });
}

// The same for a task file: {"name": "dimer-tank.toml", "text": "..."}.
REACTOPT_EXPORT const char* reactopt_kit_scheme_fields(const char* requestJson) {
  return Answered([&] {
    const json request = ParseRequest(requestJson);
    teaching::KitRequest kit;
    kit.count = 1;
    kit.schemes = {TextOf(Member(request, "name"))};
    teaching::KitSources sources;
    sources.schemes[kit.schemes.front()] = TextOf(Member(request, "text"));
    teaching::CheckKitRequest(kit, sources);
    const schemes::Scheme scheme =
        schemes::ParseScheme(TextOf(Member(request, "text")), TextOf(Member(request, "name")));
    json list = json::array();
    for (std::size_t j = 0; j < scheme.parameters.size(); ++j) {
      const schemes::Parameter& p = scheme.parameters[j];
      std::vector<std::string> offered = p.offeredTexts;
      std::sort(offered.begin(), offered.end(), [](const std::string& a, const std::string& b) {
        teaching::Decimal x, y;
        teaching::ParseDecimal(a, x);
        teaching::ParseDecimal(b, y);
        return teaching::Compare(x, y) < 0;
      });
      list.push_back(
          {{"slot", j + 1}, {"label", p.label}, {"low", offered.front()}, {"high", offered.back()}});
    }
    return list;
  });
}

// The kit's files for a request given as JSON:
// {"codes":[101,...],"schemes":[{"name":"dimer-tank.toml","text":"..."}],"count":30,"seed":"1",
//  "ranges":[{"field":"1","low":"0.5","high":"2"}],"tolerance":"","key":false,
//  "study":{"field":"k2","factor":"2"},"statements":{"101":"Задача 101\n..."}}
// ("study" optional)
// Returns {"files":[{"name":"answers-101.csv","text":"..."},...]}, the bytes
// reactopt-batch --variants writes; null on an error (see reactopt_error).
REACTOPT_EXPORT const char* reactopt_kit(const char* requestJson) {
  return Answered([&] {
    const json request = ParseRequest(requestJson);
    return FilesJson(teaching::MakeKit(KitRequestOf(request), KitSourcesOf(request)));
  });
}

// The same kit in steps: reactopt_kit_begin takes the request and returns
// what to draw, {"codes":[101,...],"schemes":["dimer-tank.toml",...]}, in
// order; reactopt_kit_task draws a code and reactopt_kit_scheme a task file,
// each returning its variants' data,
// {"code":101,"name":"","fields":[{"slot":1,"label":"..."}],"variants":[{"number":1,"data":["1","0.5"]}]}
// ("code" 0 and "name" the file's stem for a task file); reactopt_kit_files
// returns the files as reactopt_kit does. Each returns null on an error (see
// reactopt_error), the kit's messages the same.
REACTOPT_EXPORT const char* reactopt_kit_begin(const char* requestJson) {
  return Answered([&] {
    const json request = ParseRequest(requestJson);
    engine.kit = {KitRequestOf(request), KitSourcesOf(request), {}};
    teaching::CheckKitRequest(engine.kit.request, engine.kit.sources);
    const std::vector<int> codes = SortedUnique(engine.kit.request.codes);
    std::vector<std::string> names;
    for (const std::string& name : engine.kit.request.schemes)
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    return json{{"codes", codes}, {"schemes", names}};
  });
}

namespace {

json DrawOne(teaching::KitRequest one) {
  one.ranges.clear();
  for (const teaching::RangeSetting& range : engine.kit.request.ranges) {
    teaching::KitRequest probe = one;
    probe.ranges = {range};
    try {
      teaching::CheckKitRequest(probe, engine.kit.sources);
      one.ranges.push_back(range);
    } catch (const teaching::KitRequestError&) {
      // a range of another task asked for
    }
  }
  // The study question likewise, where its field is another task's.
  if (one.study) {
    teaching::KitRequest probe = one;
    probe.ranges.clear();
    try {
      teaching::CheckKitRequest(probe, engine.kit.sources);
    } catch (const teaching::KitRequestError&) {
      one.study.reset();
    }
  }
  engine.kit.tasks.push_back(std::move(teaching::DrawVariants(one, engine.kit.sources).front()));
  const teaching::TaskVariants& task = engine.kit.tasks.back();
  json variants = json::array();
  for (const teaching::Variant& variant : task.variants)
    variants.push_back({{"number", variant.number}, {"data", variant.data}});
  // The study question as this task's variants ask it, for their links.
  json study = nullptr;
  if (one.study) study = {{"field", one.study->field}, {"factor", one.study->factor}};
  return {{"code", task.code},
          {"name", task.name},
          {"fields", FieldsJson(task.fields, false)},
          {"variants", variants},
          {"study", study}};
}

}  // namespace

REACTOPT_EXPORT const char* reactopt_kit_task(int code) {
  return Answered([&] {
    teaching::KitRequest one = engine.kit.request;
    one.codes = {code};
    one.schemes.clear();
    return DrawOne(one);
  });
}

REACTOPT_EXPORT const char* reactopt_kit_scheme(const char* fileName) {
  return Answered([&] {
    teaching::KitRequest one = engine.kit.request;
    one.codes.clear();
    one.schemes = {fileName ? fileName : ""};
    return DrawOne(one);
  });
}

REACTOPT_EXPORT const char* reactopt_kit_files() {
  return Answered([&] {
    // The built-in tasks by code, then the task files in the order asked for.
    std::vector<std::string> stems;
    for (const std::string& name : engine.kit.request.schemes) stems.push_back(teaching::SchemeStem(name));
    const auto rank = [&](const teaching::TaskVariants& t) -> long {
      if (t.code) return t.code;
      return 1000 + (std::find(stems.begin(), stems.end(), t.name) - stems.begin());
    };
    std::stable_sort(
        engine.kit.tasks.begin(), engine.kit.tasks.end(),
        [&](const teaching::TaskVariants& a, const teaching::TaskVariants& b) { return rank(a) < rank(b); });
    const json files = FilesJson(teaching::KitFiles(engine.kit.tasks, engine.kit.request));
    engine.kit = {};
    return files;
  });
}

// A student's answers to a variant, checked by the core:
// {"code":101,"data":["1","0.5"],"answers":["0,343","0.586","0.243"],"tolerance":"","reveal":false},
// or for a task file "scheme" (its text) and "name" (its file name) in place
// of "code", and "study" as the kit's request has it for the study
// question's answer typed after the others. Returns
// {"answers":[{"label":"CRmax","question":"...","number":true,"right":true}]}, with "value" and "tolerance"
// of each only when "reveal" is true, and then "low" and "high" too where the exact optimum widens what is
// accepted; null on an error (see reactopt_error), a refusal of the data included.
REACTOPT_EXPORT const char* reactopt_check(const char* requestJson) {
  return Answered([&] {
    const json request = ParseRequest(requestJson);
    const bool reveal = Flag(Member(request, "reveal"));
    const std::vector<teaching::CheckedAnswer> checked =
        Member(request, "scheme").is_string()
            ? teaching::CheckSchemeAnswers(TextOf(Member(request, "scheme")), TextOf(Member(request, "name")),
                                           Texts(Member(request, "data")), Texts(Member(request, "answers")),
                                           TextOf(Member(request, "tolerance")), reveal, StudyOf(request))
            : teaching::CheckAnswers(WholeNumber(Member(request, "code"), "задачи"),
                                     Texts(Member(request, "data")), Texts(Member(request, "answers")),
                                     TextOf(Member(request, "tolerance")), reveal, StudyOf(request),
                                     engine.dataFile);
    json answers = json::array();
    for (const teaching::CheckedAnswer& a : checked) {
      json one = {{"label", a.label}, {"question", a.question}, {"number", a.number}, {"right", a.right}};
      if (reveal) {
        one["value"] = a.value;
        one["tolerance"] = a.tolerance;
        if (!a.low.empty()) {
          one["low"] = a.low;
          one["high"] = a.high;
        }
      }
      answers.push_back(one);
    }
    return json{{"answers", answers}};
  });
}

// The example task files shipped with the program:
// [{"name":"dimer-tank","title":"...","text":"..."}], in name order.
REACTOPT_EXPORT const char* reactopt_examples() {
  return Answered([] {
    json list = json::array();
    for (const schemes::ExampleScheme& example : schemes::ExampleSchemes())
      list.push_back({{"name", example.name},
                      {"title", schemes::ParseScheme(example.text, example.name + ".toml").title},
                      {"text", example.text}});
    return list;
  });
}
