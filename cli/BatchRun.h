#pragma once
// reactopt-batch: runs one task without the window, so that reports can be
// produced from scripts.

#include <ostream>
#include <string>
#include <vector>

// `args` are the command-line arguments after the program name. Returns the
// exit status: 0 when a solver ran, 2 for bad usage, 1 for an input, output or
// data error.
int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
