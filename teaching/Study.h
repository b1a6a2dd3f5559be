#pragma once
// How the optimum moves with one parameter: a task (built-in or a task file)
// run at evenly spaced values of one of its fields, every other field as
// given. Plain C++ by value; the built-in tasks' shared state is left as it
// was and studies on several threads at once give what they give one after
// another.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace teaching {

// A study that cannot be made as asked: an unknown parameter, a count or a
// range out of bounds. The text (Russian, UTF-8) names the problem.
class StudyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The count of points a study takes: two ends at least, and few enough to
// stay a moment's work.
inline constexpr int kStudyMinPoints = 2;
inline constexpr int kStudyMaxPoints = 201;

struct StudyRequest {
  int code = 0;            // a built-in task, or 0 for a task file
  std::string scheme;      // the task file's text (UTF-8) when code is 0
  std::string schemeName;  // its file name, for messages
  std::string dataFile;    // the bytes of "DataFile.dat", for a built-in task
  // The values in field order, as a run takes them: an empty one, and every
  // field past them, takes the first offered value.
  std::vector<std::optional<double>> values;
  std::string parameter;  // a field's label, its symbol ("k2") or its number 1 to 10
  double low = 0, high = 0;
  int count = 11;
  bool logarithmic = false;  // evenly spaced on a log scale (low above 0)
};

struct StudyPoint {
  double value = 0;  // of the parameter
  bool ran = false;  // false: a gap, `refusal` says why
  std::string refusal;
  double conversion = 0;  // the optimum's conversion, when ran
  // The printed digits of each answer in Study::labels order; "" where the
  // run states no such answer.
  std::vector<std::string> answers;
};

struct Study {
  int slot = 0;                        // the parameter's field number, from 1
  std::string parameterLabel;          // UTF-8, as the data fields show it
  std::string parameterKey;            // its symbol ("k2"), as links and CSV headers name it
  double current = 0;                  // the value the request's values give it
  std::vector<std::string> labels;     // the answers' labels, as the report prints them
  std::vector<std::string> questions;  // what each answer is, as a student is asked for it
  int conversionAnswer = -1;           // the index in labels of the optimum's conversion, -1 if none
  int maximumAnswer = -1;              // the index of the maximised answer, -1 if none
  std::vector<StudyPoint> points;
};

// Checks the request and resolves the parameter; the points get their
// values, none is run. The labels come from a run of the request's own
// values (or, when those are refused, of the first point that runs). Throws
// StudyError, schemes::SchemeError for a task file that cannot be read, or
// InOutError for a data file that cannot.
Study PlanStudy(const StudyRequest& request);

// Runs points [first, last) of a planned study, so that a page can draw as
// it goes. A point the task refuses is a gap with the refusal's message.
void RunStudyPoints(const StudyRequest& request, Study& study, std::size_t first, std::size_t last);

// Plans and runs every point.
Study RunStudy(const StudyRequest& request);

// The study as CSV (UTF-8): a header of the parameter's key and the labels,
// then one line per point, a gap's answers as empty cells.
std::string StudyCsv(const Study& study);

}  // namespace teaching
