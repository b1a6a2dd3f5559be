#pragma once
// Whole files in bytes, for tests that set up and check what a run leaves.

#include <string>

// The bytes of `path`, "" when it cannot be read.
std::string ReadFile(const std::string& path);
// Replaces `path` with `bytes`; false when it could not be written whole.
bool WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
