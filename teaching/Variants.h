#pragma once
// Individual variants of a task for a class: each student gets the same task
// with other data, drawn reproducibly from a seed, together with the answers
// the program's own report gives for them.

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "solvers/Report.h"
#include "teaching/Decimal.h"

namespace teaching {

// SplitMix64 (Steele, Lea and Flood, 2014): a 64-bit state advanced by
// 0x9E3779B97F4A7C15 and mixed by two multiply-xorshift rounds. Fixed here so
// that a seed gives the same numbers on every platform and in every build.
class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  // A whole number from 0 to `bound` - 1 (bound > 0), without the bias of a
  // plain remainder.
  std::uint64_t Below(std::uint64_t bound);

 private:
  std::uint64_t state_;
};

// A request that cannot be met as given: a range that is not two numbers, a
// field no chosen task has, a count below 1. The text names the problem.
class KitRequestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The ranges of a task cannot give the count of variants asked for; the text
// names the task.
class NotEnoughVariantsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A teacher's range for a field: `field` is its label in the data file
// (blanks around it ignored) or its number 1 to 10; it applies to every
// chosen task that has such a field.
struct RangeSetting {
  std::string field;
  std::string low, high;  // decimal texts
};

// An optional question on every variant: what the task's maximum becomes
// when one field's value is multiplied by `factor`.
struct StudySetting {
  // As a range names it (its label or its number 1 to 10), or its symbol
  // ("k2"); it applies to every chosen task that has such a field.
  std::string field;
  // A decimal text above 0, not 1, at most 6 decimals: "0.5" halves.
  std::string factor = "2";
};

struct KitRequest {
  std::vector<int> codes;
  // Task files asked for beside the codes, by their names among
  // KitSources::schemes ("dimer-tank.toml"); their tasks follow the codes'.
  std::vector<std::string> schemes;
  int count = 0;
  std::uint64_t seed = 1;
  std::vector<RangeSetting> ranges;
  // The tolerance of an answer relative to its value ("0.01" is 1 %); empty
  // for half a unit of the last printed digit, which is also the least.
  // Where the exact optimum of a built-in task is known, an answer's
  // tolerance also reaches its exact value.
  std::string tolerance;
  // Whether the sheets show the answers after the blanks.
  bool key = false;
  std::optional<StudySetting> study;
};

// What the kit reads: the bytes of "DataFile.dat" and the statements
// (UTF-8) by task code. A task without a statement gets a sheet without one.
struct KitSources {
  std::string dataFile;
  std::map<int, std::string> statements;
  // Task files by file name ("dimer-tank.toml"): their UTF-8 text.
  std::map<std::string, std::string> schemes;
};

// A field whose value is drawn: its slot, its label as the data file gives it
// (blanks around it removed), its range and the precision of its values.
struct DrawnField {
  int slot = 0;
  std::string label;
  Decimal low, high;
  int digits = 1;  // significant digits of a value
  int place = 0;   // the finest decimal place a value may use
};

// A variant's study question and its answer.
struct StudyQuestion {
  std::string question;         // as the sheets ask it
  std::string change;           // the change made: "k2 × 2"
  std::string heading;          // the key's column: "CRmax при k2 × 2"
  std::string value;            // the changed field's value text
  OptimumQuantity answer;       // the maximum at the changed value
  std::optional<double> exact;  // its exact value, where known
};

struct Variant {
  int number = 0;                        // 1, 2, ...
  std::vector<std::string> data;         // the value texts, in slot order
  std::vector<OptimumQuantity> answers;  // as the report states them
  // Per answer, the exact value where the task's own method may leave it
  // (a built-in task that a task file states); nothing for the others.
  std::vector<std::optional<double>> exact;
  // When the request asks a study question and the task has its field.
  std::optional<StudyQuestion> study;
};

struct TaskVariants {
  int code = 0;           // 0 for a task file
  std::string name;       // a task file's name without ".toml" ("dimer-tank"); empty for a built-in task
  std::string statement;  // UTF-8, as read
  std::vector<DrawnField> fields;
  std::vector<Variant> variants;
};

// Reads `code`'s fields from the data file and applies the request's ranges:
// what the dialog shows before drawing. Throws KitRequestError or InOutError.
std::vector<DrawnField> FieldsOf(int code, const std::string& dataFile,
                                 const std::vector<RangeSetting>& ranges);

// The seed a teacher typed: decimal digits only, 0 to 2^64-1. False for
// anything else.
bool ParseSeed(const std::string& text, std::uint64_t& seed);

// Draws `request.count` variants of every task of the request. A variant is
// kept when the task takes its data, its optimum lies inside the sweep
// (where the default data's optimum does) and its answers differ from every
// kept variant's. The generator of a task starts from the seed and the task
// code alone, so a task's variants do not depend on the other tasks asked for.
// Task files follow the codes; a task file's generator starts from the seed
// and the FNV-1a hash of its name. Throws KitRequestError,
// NotEnoughVariantsError, InOutError or schemes::SchemeError (a fault of a
// task file, naming its line). The shared
// state of the current task (code, parameters, field table, chart) is left as
// it was.
std::vector<TaskVariants> DrawVariants(const KitRequest& request, const KitSources& sources);

// What DrawVariants refuses before it draws anything: the count, an empty or
// unknown task list, the tolerance, a range no chosen task takes. Throws
// KitRequestError or InOutError.
void CheckKitRequest(const KitRequest& request, const KitSources& sources);

// The name a task file gives its kit files ("dimer-tank" for
// "dimer-tank.toml", letter case of the extension ignored); empty for a name
// that cannot: no ".toml", an empty stem or one of digits only (it would read
// as a task code), a leading dot, a slash or a control character.
std::string SchemeStem(const std::string& fileName);

// Whether `range` names one of the fields of task `code`.
bool TakesRange(int code, const std::string& dataFile, const RangeSetting& range);

// The tolerance of an answer printed as `value`: `relative` times its value,
// but never less than half a unit of its last printed digit. Throws
// KitRequestError for a relative tolerance that is not a number from 0 to
// 0.5 with at most 6 decimals.
std::string ToleranceOf(const std::string& value, const std::string& relative);

// The answers a quiz and the self-check accept for a quantity printed as
// `value`: within ToleranceOf(value, relative) of it, and, where the exact
// value lies beyond that, from the printed value to the exact one and the
// same tolerance past it. `low` and `high` are decimal texts; `widened` says
// whether the exact value widened them.
struct Acceptance {
  std::string tolerance;
  std::string low, high;
  bool widened = false;
};
Acceptance AcceptanceOf(const std::string& value, const std::optional<double>& exact,
                        const std::string& relative);

// Checks a request's tolerance; throws KitRequestError naming the problem.
void CheckTolerance(const std::string& relative);

// Checks a study question's factor; throws KitRequestError naming it.
void CheckStudyFactor(const std::string& factor);

// The study question as a student reads it: `maximum` is the maximised
// answer (its question is reused), `field` the field as the sheet names it,
// `value` the changed value's text: «Каким станет максимальный выход R, CRmax,
// кмоль/м3, если увеличить k2 вдвое (k2 = 0,4)?».
std::string StudyQuestionText(const OptimumQuantity& maximum, const std::string& field,
                              const std::string& factor, const std::string& value);

// A student's answer to one quantity.
struct CheckedAnswer {
  std::string label;      // as the report prints it
  std::string question;   // as the sheets ask it
  bool number = false;    // the typed text is a number
  bool right = false;     // within the tolerance of the printed value
  std::string value;      // the printed value, only when asked to reveal it
  std::string tolerance;  // likewise
  // Likewise, where the exact value widens what is accepted: the accepted
  // range's bounds; empty otherwise.
  std::string low, high;
};

// Runs task `code` with the variant's `data` (value texts in slot order) and
// compares each typed answer (decimal point or comma) with the answer the
// report prints, as AcceptanceOf accepts it. Refusals of the data pass through as
// InvalidDataError; a wrong count of values is a KitRequestError. The shared
// state of the current task is left as it was. With `study`, the study
// question's answer follows the others, typed after them; a task without its
// field, a bad factor or a changed run refused is a KitRequestError.
// With `study`, `dataFile` is the bytes of "DataFile.dat", whose labels name
// the fields; one without the task is an InOutError.
std::vector<CheckedAnswer> CheckAnswers(int code, const std::vector<std::string>& data,
                                        const std::vector<std::string>& typed, const std::string& tolerance,
                                        bool reveal, const std::optional<StudySetting>& study = std::nullopt,
                                        const std::string& dataFile = "");

// CheckAnswers for a task file: `schemeText` (UTF-8) named `fileName`, run
// with the variant's `data`. A fault of the file passes through as
// schemes::SchemeError.
std::vector<CheckedAnswer> CheckSchemeAnswers(const std::string& schemeText, const std::string& fileName,
                                              const std::vector<std::string>& data,
                                              const std::vector<std::string>& typed,
                                              const std::string& tolerance, bool reveal,
                                              const std::optional<StudySetting>& study = std::nullopt);

}  // namespace teaching
