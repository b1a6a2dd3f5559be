#pragma once
// The one way a front end runs a task: a request in, a result out, by value.
// Filling the slots, reading the defaults and keeping the program's shared
// task state (the current code, the parameters, the field table, the chart
// buffers) as it was all happen here once.

#include <optional>
#include <string>
#include <vector>

#include "initial_data/TaskData.h"
#include "solvers/Chart.h"
#include "solvers/Report.h"

// Where the data file a request needs comes from: none (the field table the
// program holds already names the fields), "DataFile.dat" in the working
// directory, or its bytes.
enum class DataSource { None, WorkingDirectory, Bytes };

struct TaskRequest {
  int code = 0;
  // The values typed, in slot order P1, P2, ...; an empty one, and every slot
  // past them that the task reads, takes the first offered value of its field.
  std::vector<std::optional<double>> values;
  DataSource data = DataSource::WorkingDirectory;
  std::string dataFile;  // the bytes of "DataFile.dat", for DataSource::Bytes
  // The desktop's Run: the shared state stays as the run leaves it (the chart
  // buffers drawn from it, RunSucceeded, the parameters) but for TaskCode,
  // and the report is written to "opt.out" whole. Every other front end runs
  // aside from it and writes what it writes itself.
  bool keepSharedState = false;
  bool writeReport = false;
};

struct TaskResult {
  bool ran = false;               // a solver ran and its report is complete
  std::string refusal;            // why the data were refused, the message to show; empty otherwise
  std::string report;             // the bytes of "opt.out": Windows-1251, CR LF
  std::vector<ChartPoint> chart;  // the points the chart draws, 0 to the last
  std::vector<OptimumQuantity> answers;
  SweepOptimum optimum;
  double optimumConversion = 0;
};

// Runs `request`. A code that is no task runs nothing (ran false, refusal
// empty). Data the task cannot take are a refusal, never an exception, and
// leave the chart buffers as the last good run left them; a data
// file that cannot be read when a slot needs its default, or a report that
// cannot be written, raises InOutError.
TaskResult RunTaskRequest(const TaskRequest& request);

// The field table of task `code` from the data file's bytes (or, without
// them, "DataFile.dat" in the working directory), leaving the program's own
// table as it is. Raises InOutError as ReadTaskData does.
TTaskFieldTable ReadTaskFields(int code, const std::string* dataFile);
