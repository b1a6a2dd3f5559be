#include "TaskRun.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "RunOpt.h"
#include "base/Errors.h"
#include "base/TaskIdentity.h"

namespace {

// The solvers work on the program's one shared task state, so runs on
// several threads take turns.
std::mutex runLock;

// The shared state a run reads and writes, put back as it was when the
// request is done: the program's open task must not notice a run made aside.
class SharedRunState {
 public:
  SharedRunState()
      : code_(TaskCode),
        params_(TaskParams),
        fields_(TaskFieldTable),
        succeeded_(RunSucceeded),
        inMemory_(ReportFile.KeptInMemory()) {}
  ~SharedRunState() {
    TaskCode = code_;
    TaskParams = params_;
    TaskFieldTable = fields_;
    RunSucceeded = succeeded_;
    ReportFile.KeepInMemory(inMemory_);
    chart_.Restore();
  }
  SharedRunState(const SharedRunState&) = delete;
  SharedRunState& operator=(const SharedRunState&) = delete;

 private:
  std::int32_t code_;
  TTaskParams params_;
  TTaskFieldTable fields_;
  bool succeeded_;
  bool inMemory_;
  ChartBuffers chart_;
};

void ReadData(const TaskRequest& request) {
  if (request.data == DataSource::Bytes)
    ReadTaskData(request.dataFile);
  else
    ReadTaskData();
}

// Fills the slots of TaskCode as the data dialog would leave them: the values
// given, and for the others the first offered value of the field through its
// 5-decimal text (or the untouched combo box's own text).
void FillSlots(const TaskRequest& request) {
  const int k = SlotCount(TaskCode);
  const int count = static_cast<int>(std::min<std::size_t>(request.values.size(), 10));
  const auto given = [&](int j) { return j <= count && request.values[j - 1].has_value(); };
  bool needDefaults = false;
  for (int j = 1; j <= k; ++j) needDefaults = needDefaults || !given(j);
  if (needDefaults) {
    ReadData(request);
  } else if (request.data != DataSource::None) {
    // Nothing to fill, but a refusal names the fields as the data file
    // labels them when there is one to read.
    try {
      ReadData(request);
    } catch (const InOutError&) {
    }
  }
  for (int j = 1; j <= 10; ++j) {
    if (given(j))
      TaskParams.Slot(j) = *request.values[j - 1];
    else if (j <= k)
      TaskParams.Slot(j) = DefaultSlotValue(j);
  }
}

}  // namespace

TaskResult RunTaskRequest(const TaskRequest& request) {
  const std::lock_guard<std::mutex> turn(runLock);
  std::optional<SharedRunState> aside;
  if (!request.keepSharedState) aside.emplace();
  // Whatever else it keeps, the run leaves the open task's code and the
  // report's way of being written as they were.
  struct Kept {
    std::int32_t code = TaskCode;
    bool inMemory = ReportFile.KeptInMemory();
    ~Kept() {
      TaskCode = code;
      ReportFile.KeepInMemory(inMemory);
    }
  } kept;

  TaskResult result;
  TaskCode = request.code;
  if (!FindTask(request.code)) {
    RunSucceeded = false;
    return result;
  }
  FillSlots(request);
  ReportFile.KeepInMemory(!request.writeReport);
  // A run refused for its data leaves the chart as the last good run left it.
  const ChartBuffers lastGood;
  try {
    RunCurrentTask();
  } catch (const InvalidDataError& e) {
    lastGood.Restore();
    result.refusal = e.what();
    return result;
  } catch (const NumericalError& e) {
    lastGood.Restore();
    result.refusal = e.what();
    return result;
  }
  if (!RunSucceeded) return result;
  result.ran = true;
  result.report = ReportFile.Bytes();
  const int last = PrepareChartPointCount(request.code);
  for (int k = 0; k <= last; ++k) result.chart.push_back({ChartX[k], ChartY1[k], ChartY2[k]});
  result.answers = ReportFile.Answers();
  result.optimum = ReportFile.Optimum();
  result.optimumConversion = ReportFile.OptimumConversion();
  return result;
}

TTaskFieldTable ReadTaskFields(int code, const std::string* dataFile) {
  const std::lock_guard<std::mutex> turn(runLock);
  SharedRunState aside;
  TaskCode = code;
  if (dataFile)
    ReadTaskData(*dataFile);
  else
    ReadTaskData();
  return TaskFieldTable;
}
