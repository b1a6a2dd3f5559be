#pragma once
// reactopt-batch run as a script runs it, with what it printed and its exit
// status.

#include <string>

struct BatchOutcome {
  int status;  // -1 when it did not end by itself
  std::string out;
  std::string err;
};

// Runs the shell command line `line`, in which $B names reactopt-batch, in the
// working directory; its output passes through "stdout.txt" and "stderr.txt"
// there. A run still going after 20 s is ended.
BatchOutcome RunBatchLine(const std::string& line);

// Runs reactopt-batch with `args`, split as the shell splits them.
BatchOutcome RunBatch(const std::string& args);

// The program itself.
const char* BatchProgram();
