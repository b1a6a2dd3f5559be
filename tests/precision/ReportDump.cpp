// Prints the reports and chart points of many runs, so that two builds of the
// core (the x87 one and the software extended one) can be compared byte for
// byte. Runs the delivered defaults of every task, then `--random N` sets of
// textbook-style values per task, then the cases of `--cases FILE` (lines
// "CODE P1 ... Pk", '#' starts a comment). Reads DataFile.dat from the working
// directory; writes no file.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/NumberText.h"
#include "initial_data/TaskData.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"

namespace {

// Values as a textbook prints them: they hit exact decimal halves in the
// printed columns far more often than random decimals would.
constexpr double kTextbookValues[] = {0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.4, 0.5, 0.6, 0.75,
                                      0.8,  1,   1.2,  1.5, 2,    2.5, 3,   4,   5};

std::string Number17(double v) {
  char buf[64];
  return std::string(buf, General17(buf, sizeof buf, v));
}

void Dump(int code, const std::vector<double>& values, std::ostream& out) {
  out << "== " << code;
  for (double v : values) out << ' ' << Number17(v);
  out << '\n';
  TaskRequest request;
  request.code = code;
  request.values.assign(values.begin(), values.end());
  TaskResult run;
  try {
    run = RunTaskRequest(request);
  } catch (const std::exception& e) {
    out << "refused: " << e.what() << '\n';
    return;
  }
  if (!run.refusal.empty()) {
    out << "refused: " << run.refusal << '\n';
    return;
  }
  out << run.report;
  for (std::size_t k = 0; k < run.chart.size(); ++k)
    out << k << ',' << Number17(run.chart[k].x) << ',' << Number17(run.chart[k].y1) << ','
        << Number17(run.chart[k].y2) << '\n';
}

std::vector<double> Defaults(int code) {
  TaskCode = code;
  ReadTaskData();
  std::vector<double> values;
  for (int j = 1; j <= SlotCount(code); ++j) values.push_back(DefaultSlotValue(j));
  return values;
}

}  // namespace

int main(int argc, char** argv) {
  int randomSets = 0;
  std::uint32_t seed = 1;
  std::vector<std::string> caseFiles;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--random" && i + 1 < argc)
      randomSets = std::stoi(argv[++i]);
    else if (arg == "--seed" && i + 1 < argc)
      seed = static_cast<std::uint32_t>(std::stoul(argv[++i]));
    else if (arg == "--cases" && i + 1 < argc)
      caseFiles.push_back(argv[++i]);
    else {
      std::cerr << "usage: reactopt-dump [--random N] [--seed S] [--cases FILE]...\n";
      return 2;
    }
  }
  ReportFile.KeepInMemory(true);
  std::ostringstream out;
  try {
    // A generator of our own: the same sets from every standard library.
    std::uint64_t state = seed;
    const auto next = [&state] {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      return static_cast<std::uint32_t>(state >> 33);
    };
    constexpr std::uint32_t kCount = sizeof kTextbookValues / sizeof kTextbookValues[0];
    for (const TaskEntry& task : AllTasks()) {
      const int code = task.code;
      Dump(code, Defaults(code), out);
      for (int n = 0; n < randomSets; ++n) {
        std::vector<double> values;
        for (int j = 1; j <= SlotCount(code); ++j) values.push_back(kTextbookValues[next() % kCount]);
        Dump(code, values, out);
      }
    }
    for (const std::string& file : caseFiles) {
      std::ifstream in(file);
      if (!in) throw std::runtime_error("cannot read " + file);
      std::string line;
      while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream fields(line);
        int code = 0;
        if (!(fields >> code)) continue;
        std::vector<double> values;
        for (double v; fields >> v;) values.push_back(v);
        Dump(code, values, out);
      }
    }
  } catch (const std::exception& e) {
    std::cerr << "reactopt-dump: " << e.what() << '\n';
    return 1;
  }
  std::cout << out.str();
  return std::cout.flush() ? 0 : 1;
}
