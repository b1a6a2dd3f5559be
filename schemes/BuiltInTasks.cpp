#include "schemes/BuiltInTasks.h"

#include <map>
#include <string_view>

#include "schemes/BuiltInTaskTexts.h"

namespace schemes {

namespace {

// taskNNN.toml gives NNN; any other name gives 0.
int CodeOf(std::string_view name) {
  if (name.size() != 12 || name.substr(0, 4) != "task" || name.substr(7) != ".toml") return 0;
  int code = 0;
  for (char c : name.substr(4, 3)) {
    if (c < '0' || c > '9') return 0;
    code = code * 10 + (c - '0');
  }
  return code;
}

std::map<int, Scheme> ReadBuiltIns() {
  std::map<int, Scheme> schemes;
  for (const EmbeddedTaskFile* file = kEmbeddedTaskFiles; file->name; ++file)
    if (const int code = CodeOf(file->name))
      schemes.emplace(code, ParseScheme(std::string_view(file->bytes, file->size), file->name));
  return schemes;
}

}  // namespace

const Scheme* BuiltInScheme(int code) {
  static const std::map<int, Scheme> schemes = ReadBuiltIns();
  const auto found = schemes.find(code);
  return found == schemes.end() ? nullptr : &found->second;
}

const std::vector<ExampleScheme>& ExampleSchemes() {
  static const std::vector<ExampleScheme> examples = [] {
    std::vector<ExampleScheme> list;
    for (const EmbeddedTaskFile* file = kEmbeddedTaskFiles; file->name; ++file) {
      const std::string_view name = file->name;
      if (CodeOf(name)) continue;
      list.push_back({std::string(name.substr(0, name.size() - 5)), std::string(file->bytes, file->size)});
    }
    return list;
  }();
  return examples;
}

}  // namespace schemes
