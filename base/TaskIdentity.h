#pragma once
// The identity of the current task: its code, taken from the name of the task
// file (characters 4 to 6), and the name cuts the windows and the runner share.

#include <cstdint>
#include <string_view>

// Number of the current task; 101 to 125 are tasks.
extern std::int32_t TaskCode;

// The number in characters 4 to 6 of `name` (UTF-8), read by the run-time
// integer conversion with its error position ignored.
std::int32_t TaskCodeOf(std::string_view name);
// TaskCode := TaskCodeOf(name).
void ParseTaskCode(std::string_view name);

// The file-name part of a path (after the last '/').
std::string_view FileNamePart(std::string_view path);
// The first `count` characters of UTF-8 text.
std::string_view FirstChars(std::string_view utf8, int count);
