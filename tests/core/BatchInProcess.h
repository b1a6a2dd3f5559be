#pragma once
// reactopt-batch run inside the test's process, in its working directory.

#include <sstream>
#include <string>
#include <vector>

#include "BatchProgram.h"
#include "cli/BatchRun.h"

inline BatchOutcome BatchInProcess(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = BatchMain(args, out, err);
  return {status, out.str(), err.str()};
}
