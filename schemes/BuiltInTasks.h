#pragma once
// The task files shipped with the program, compiled into the core: those that
// state the built-in tasks (taskNNN.toml) and the examples beside them.

#include <string>
#include <vector>

#include "schemes/Scheme.h"

namespace schemes {

// The task file that states built-in task `code`, read once; nullptr where no
// task file states it (112: its recycle is a flow sheet the language lacks).
const Scheme* BuiltInScheme(int code);

// An example task file: its name without ".toml" ("dimer-tank") and its text
// (UTF-8), in name order.
struct ExampleScheme {
  std::string name;
  std::string text;
};
const std::vector<ExampleScheme>& ExampleSchemes();

}  // namespace schemes
