#pragma once
// What the browser engine's sources share: the export of an entry point, the
// state every entry point reads and the reading of a request.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "schemes/Scheme.h"
#include "solvers/Chart.h"
#include "solvers/TaskRun.h"
#include "teaching/Study.h"
#include "teaching/Variants.h"

#if defined(__EMSCRIPTEN__)
#include <emscripten/emscripten.h>
#define REACTOPT_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE
#else
#define REACTOPT_EXPORT extern "C"
#endif

// Everything the engine keeps between calls. There is no file system in the
// page: "DataFile.dat" is handed over once as bytes and read from memory
// whenever a task is prepared.
struct EngineState {
  std::string dataFile;
  std::string message;    // the last error, UTF-8
  std::string reply;      // the text (mostly JSON) the last entry point answered
  TaskResult run;         // the last run that ran; a refused one leaves it
  std::string exactLine;  // the answer of reactopt_exact
  double chartPoints[3 * kChartSize] = {};
  std::string chartCsv;
  schemes::SchemeRun schemeRun;  // the last task file that ran
  std::string schemeChartCsv, schemeAnswersCsv;
  // A kit drawn one task per call, so that the page can say how far it is
  // between tasks. A task's variants depend on the seed and its code (or its
  // file's name) alone, so the files are those of the whole request drawn at
  // once.
  struct {
    teaching::KitRequest request;
    teaching::KitSources sources;
    std::vector<teaching::TaskVariants> tasks;
  } kit;
  // The last study planned, with the request's text, kept for the runs of its
  // points: a page asks for a study in parts, and planning again for each
  // would run the task once more.
  std::optional<std::pair<std::string, teaching::Study>> study;
};
extern EngineState engine;

// Reading a request, alike in every entry point: a request's text as JSON, a
// text that is none refused by the byte where it goes wrong; a member of an
// object (null when missing or `v` is no object); the items of an array
// (none when `v` is none); a true boolean; a number or a string holding one
// as its text (anything else empty); a whole number, a seed and a list of
// texts, with the request's messages.
using Json = nlohmann::json;
Json ParseRequest(const char* text);
const Json& Member(const Json& v, const char* key);
const Json& Items(const Json& v);
bool Flag(const Json& v);
std::string TextOf(const Json& v);
int WholeNumber(const Json& v, const char* what);
std::uint64_t Seed(const Json& v);
std::vector<std::string> Texts(const Json& v);
