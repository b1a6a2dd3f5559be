#include "BatchProgram.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "Files.h"

const char* BatchProgram() { return REACTOPT_BATCH; }

BatchOutcome RunBatchLine(const std::string& line) {
  std::string quoted;
  for (char c : line) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  const std::string command = std::string("export B='") + REACTOPT_BATCH + "'; timeout 20 sh -c '" + quoted +
                              "' >stdout.txt 2>stderr.txt";
  const int raw = std::system(command.c_str());
  BatchOutcome o{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile("stdout.txt"), ReadFile("stderr.txt")};
  std::remove("stdout.txt");
  std::remove("stderr.txt");
  return o;
}

BatchOutcome RunBatch(const std::string& args) { return RunBatchLine("$B " + args); }
