#pragma once
// Small helpers on text and task codes that every layer shares.

#include <string>
#include <string_view>
#include <vector>

// `s` with its ASCII capitals in lower case, as file names are compared.
std::string Lower(std::string s);

// Whether `s` is one or more of the digits 0 to 9 and nothing else.
bool AllDigits(std::string_view s);

// The codes in ascending order, each once.
std::vector<int> SortedUnique(std::vector<int> codes);

// The title of a task statement: its second line, without the blanks, tabs
// and line end around it; empty when there is none.
std::string StatementTitle(std::string_view statement);
